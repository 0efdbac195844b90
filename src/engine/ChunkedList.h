#pragma once
// A list that grows in chunks of memory of their own: what it holds never moves (a growing list
// of a million entries is never copied whole, and never needs a second list's memory for the
// copy).

#include "engine/IndexIterator.h"
#include "platform/PageBlocks.h"

#include <bit>
#include <cstddef>
#include <new>
#include <utility>
#include <vector>

template <typename T>
class ChunkedList {
public:
    // A power of two of entries per chunk (an index then splits with a shift and a mask, which
    // the sort does for every comparison), about a megabyte, in whole pages.
    static constexpr size_t PerChunk = std::bit_floor((size_t{1} << 20) / sizeof(T));
    static constexpr size_t ChunkBytes = (PerChunk * sizeof(T) + 4095) / 4096 * 4096;

    using iterator = IndexIterator<ChunkedList, T>;
    using const_iterator = IndexIterator<const ChunkedList, const T>;
    using value_type = T;

    ChunkedList() = default;
    explicit ChunkedList(size_t n) { resize(n); }
    ChunkedList(const ChunkedList& other) { CopyFrom(other); }
    ChunkedList(ChunkedList&& other) noexcept { swap(other); }
    ChunkedList& operator=(const ChunkedList& other) {
        if (this != &other) {
            clear();
            CopyFrom(other);
        }
        return *this;
    }
    ChunkedList& operator=(ChunkedList&& other) noexcept {
        if (this != &other) {
            clear();
            swap(other);
        }
        return *this;
    }
    ~ChunkedList() { clear(); }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T& operator[](size_t i) { return chunks_[i / PerChunk][i % PerChunk]; }
    const T& operator[](size_t i) const { return chunks_[i / PerChunk][i % PerChunk]; }
    T& back() { return (*this)[size_ - 1]; }
    const T& back() const { return (*this)[size_ - 1]; }
    iterator begin() { return {this, 0}; }
    iterator end() { return {this, size_}; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size_}; }

    template <typename... Args>
    T& emplace_back(Args&&... args) {
        if (size_ % PerChunk == 0 && size_ / PerChunk == chunks_.size())
            chunks_.push_back(static_cast<T*>(FileSystem::AllocatePageBlock(ChunkBytes)));
        T* item = new (&(*this)[size_]) T(std::forward<Args>(args)...);
        ++size_;
        return *item;
    }
    void push_back(const T& item) { emplace_back(item); }
    void push_back(T&& item) { emplace_back(std::move(item)); }
    void reserve(size_t) {}  // chunks are taken as the list grows; nothing moves

    // Keeps the first n entries (or adds default ones up to n).
    void resize(size_t n) {
        while (size_ > n) {
            --size_;
            (*this)[size_].~T();
            if (size_ % PerChunk == 0) {
                FileSystem::FreePageBlock(chunks_.back(), ChunkBytes);
                chunks_.pop_back();
            }
        }
        while (size_ < n) emplace_back();
    }
    void clear() {
        for (size_t i = 0; i < size_; ++i) (*this)[i].~T();
        for (T* chunk : chunks_) FileSystem::FreePageBlock(chunk, ChunkBytes);
        chunks_.clear();
        size_ = 0;
    }
    void swap(ChunkedList& other) noexcept {
        std::swap(chunks_, other.chunks_);
        std::swap(size_, other.size_);
    }

private:
    void CopyFrom(const ChunkedList& other) {
        for (size_t i = 0; i < other.size_; ++i) push_back(other[i]);
    }

    std::vector<T*> chunks_;
    size_t size_ = 0;
};
