#include "platform/StoredEntries.h"

#include <algorithm>
#include <cstring>

namespace SyncState {

namespace {

// FNV-1a over the UTF-16 units: it goes on from one piece of a path to the next, so a path in
// two pieces hashes as the whole path does.
constexpr uint64_t kFnvOffset = 14695981039346656037ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;

uint64_t HashOn(uint64_t h, QStringView text) {
    for (const QChar c : text) h = (h ^ c.unicode()) * kFnvPrime;
    return h;
}

uint32_t HashOf(QStringView head, QStringView tail) {
    const uint64_t h = HashOn(HashOn(kFnvOffset, head), tail);
    return static_cast<uint32_t>(h ^ (h >> 32));
}

constexpr size_t kFirstSlots = 64;

// The last step of MurmurHash3: every bit of the input reaches every bit of the output, so that
// digests that are sums of these do not cancel out for entries that differ in a bit or two.
uint64_t Mixed(uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ull;
    return h ^ (h >> 33);
}

// One round of the digest over eight bytes (after MurmurHash3's 128-bit round).
uint64_t Round(uint64_t h, uint64_t v) {
    h ^= v * 0x87c37b91114253d5ull;
    h = (h << 27) | (h >> 37);
    return h * 0x4cf5ad432745937full + 0x52dce729ull;
}

}  // namespace

uint64_t DigestOf(QStringView name, const StoredEntry& entry) {
    // A run sums this over every row of a pair: the name goes in four UTF-16 units at a time.
    uint64_t h = Round(kFnvOffset, static_cast<uint64_t>(name.size()));
    const char16_t* units = name.utf16();
    qsizetype left = name.size();
    for (; left >= 4; left -= 4, units += 4) {
        uint64_t word;
        std::memcpy(&word, units, sizeof word);
        h = Round(h, word);
    }
    uint64_t rest = 0;
    if (left > 0) std::memcpy(&rest, units, static_cast<size_t>(left) * sizeof(char16_t));  // an empty name has no units
    h = Round(Round(h, rest), static_cast<uint64_t>(entry.kind));
    for (int s = 0; s < 2; ++s) h = Round(Round(h, static_cast<uint64_t>(entry.size[s])), static_cast<uint64_t>(entry.mtime[s]));
    return Mixed(h);
}

void StoredEntries::clear() {
    text_.clear();
    items_.clear();
    slots_.clear();
}

bool StoredEntries::Matches(const Item& item, QStringView head, QStringView tail) const {
    if (item.length != static_cast<uint32_t>(head.size() + tail.size())) return false;
    const QStringView path(text_.data() + item.offset, item.length);
    return path.left(head.size()) == head && path.mid(head.size()) == tail;
}

void StoredEntries::Grow() {
    // Kept at most half full, so that a search ends soon at an empty slot.
    slots_.assign(std::max(kFirstSlots, slots_.size() * 2), -1);
    const size_t mask = slots_.size() - 1;
    for (size_t i = 0; i < items_.size(); ++i) {
        size_t slot = items_[i].hash & mask;
        while (slots_[slot] >= 0) slot = (slot + 1) & mask;
        slots_[slot] = static_cast<int32_t>(i);
    }
}

void StoredEntries::Add(QStringView head, QStringView tail, const StoredEntry& entry) {
    if (IndexOf(head, tail) != kNone) return;
    const Item item{static_cast<uint32_t>(text_.size()), static_cast<uint32_t>(head.size() + tail.size()),
                    HashOf(head, tail), entry};
    text_.insert(text_.end(), head.utf16(), head.utf16() + head.size());
    text_.insert(text_.end(), tail.utf16(), tail.utf16() + tail.size());
    items_.push_back(item);
    if (items_.size() * 2 > slots_.size()) {
        Grow();
        return;
    }
    const size_t mask = slots_.size() - 1;
    size_t slot = item.hash & mask;
    while (slots_[slot] >= 0) slot = (slot + 1) & mask;
    slots_[slot] = static_cast<int32_t>(items_.size() - 1);
}

int64_t StoredEntries::IndexOf(QStringView head, QStringView tail) const {
    if (slots_.empty()) return kNone;
    const uint32_t hash = HashOf(head, tail);
    const size_t mask = slots_.size() - 1;
    for (size_t slot = hash & mask; slots_[slot] >= 0; slot = (slot + 1) & mask) {
        const Item& item = items_[static_cast<size_t>(slots_[slot])];
        if (item.hash == hash && Matches(item, head, tail)) return slots_[slot];
    }
    return kNone;
}

QStringView StoredEntries::PathAt(int64_t index) const {
    const Item& item = items_[static_cast<size_t>(index)];
    return QStringView(text_.data() + item.offset, item.length);
}

const StoredEntry* StoredEntries::Find(QStringView path) const {
    const int64_t i = IndexOf(path);
    return i == kNone ? nullptr : &At(i);
}

}  // namespace SyncState
