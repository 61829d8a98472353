// Open addressing with linear probing over the keys' digests. A slot holds the key's index and
// eight more bits of its digest, so a probe that meets another key rarely has to look at it:
// the keys lie far apart in memory, and each look costs a trip to it.
#include "core/known_archives.h"

#include <algorithm>
#include <bit>

namespace zep {

namespace {

constexpr std::size_t kFirstSlots = 64;
constexpr int kIndexBits = 24;
constexpr std::uint32_t kIndexMask = (1u << kIndexBits) - 1;

std::size_t SlotsFor(std::size_t keys) {
    return std::bit_ceil(std::max(kFirstSlots, keys * 2));
}

std::uint32_t TagOf(const ArchiveKey& key) {
    return std::uint32_t{key.digest[8]} << kIndexBits;
}

}  // namespace

void KnownArchives::Reserve(std::size_t count) {
    m_keys.reserve(std::min(count, kCapacity));
    if (SlotsFor(count) > m_slots.size()) {
        Rehash(SlotsFor(count));
    }
}

std::size_t KnownArchives::FirstSlot(const ArchiveKey& key) const {
    std::uint64_t spread = 0;
    for (int i = 0; i < 8; ++i) {
        spread = (spread << 8) | key.digest[i];
    }
    return static_cast<std::size_t>(spread) & (m_slots.size() - 1);
}

std::size_t KnownArchives::Find(const ArchiveKey& key) const {
    const std::size_t mask = m_slots.size() - 1;
    const std::uint32_t tag = TagOf(key);
    for (std::size_t slot = FirstSlot(key);; slot = (slot + 1) & mask) {
        const std::uint32_t held = m_slots[slot];
        if (held == 0 || ((held & ~kIndexMask) == tag && m_keys[(held & kIndexMask) - 1] == key)) {
            return slot;
        }
    }
}

void KnownArchives::Rehash(std::size_t slots) {
    m_slots.assign(slots, 0);
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        m_slots[Find(m_keys[i])] = TagOf(m_keys[i]) | static_cast<std::uint32_t>(i + 1);
    }
}

bool KnownArchives::Insert(const ArchiveKey& key) {
    if (m_keys.size() == kCapacity) {
        return false;
    }
    if (m_slots.size() < SlotsFor(m_keys.size() + 1)) {
        Rehash(SlotsFor(m_keys.size() + 1));
    }
    const std::size_t slot = Find(key);
    if (m_slots[slot] != 0) {
        return false;
    }
    m_keys.push_back(key);
    m_slots[slot] = TagOf(key) | static_cast<std::uint32_t>(m_keys.size());
    return true;
}

void KnownArchives::Prefetch(const ArchiveKey& key) const {
#if defined(__GNUC__)
    if (!m_slots.empty()) {
        __builtin_prefetch(&m_slots[FirstSlot(key)]);
    }
#else
    static_cast<void>(key);
#endif
}

bool KnownArchives::Contains(const ArchiveKey& key) const {
    return !m_slots.empty() && m_slots[Find(key)] != 0;
}

}  // namespace zep
