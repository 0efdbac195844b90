#pragma once
// A random-access iterator over any list that is reached by index (operator[] and size()), for
// the engine's lists whose entries are not one array: range-for, std::sort and the like.

#include <cstddef>
#include <iterator>
#include <type_traits>

template <typename List, typename Item>
class IndexIterator {
public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = std::remove_const_t<Item>;
    using difference_type = std::ptrdiff_t;
    using pointer = Item*;
    using reference = Item&;
    IndexIterator() = default;
    IndexIterator(List* list, size_t i) : list_(list), i_(i) {}
    Item& operator*() const { return (*list_)[i_]; }
    Item* operator->() const { return &(*list_)[i_]; }
    Item& operator[](difference_type d) const { return *(*this + d); }
    IndexIterator& operator++() { ++i_; return *this; }
    IndexIterator operator++(int) { IndexIterator t = *this; ++i_; return t; }
    IndexIterator& operator--() { --i_; return *this; }
    IndexIterator operator--(int) { IndexIterator t = *this; --i_; return t; }
    IndexIterator& operator+=(difference_type d) { i_ = static_cast<size_t>(static_cast<difference_type>(i_) + d); return *this; }
    IndexIterator& operator-=(difference_type d) { return *this += -d; }
    IndexIterator operator+(difference_type d) const { IndexIterator t = *this; return t += d; }
    IndexIterator operator-(difference_type d) const { IndexIterator t = *this; return t -= d; }
    difference_type operator-(const IndexIterator& o) const { return static_cast<difference_type>(i_) - static_cast<difference_type>(o.i_); }
    bool operator==(const IndexIterator& o) const { return i_ == o.i_; }
    bool operator!=(const IndexIterator& o) const { return i_ != o.i_; }
    bool operator<(const IndexIterator& o) const { return i_ < o.i_; }
    bool operator>(const IndexIterator& o) const { return i_ > o.i_; }
    bool operator<=(const IndexIterator& o) const { return i_ <= o.i_; }
    bool operator>=(const IndexIterator& o) const { return i_ >= o.i_; }
    size_t Index() const { return i_; }

private:
    List* list_ = nullptr;
    size_t i_ = 0;
};
