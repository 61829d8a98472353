// Open addressing with linear probing over the keys' digests.
#include "core/known_archives.h"

#include <algorithm>
#include <bit>

namespace zep {

namespace {

constexpr std::size_t kFirstSlots = 64;

std::size_t SlotsFor(std::size_t keys) {
    return std::bit_ceil(std::max(kFirstSlots, keys * 2));
}

}  // namespace

void KnownArchives::Reserve(std::size_t count) {
    m_keys.reserve(count);
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
    for (std::size_t slot = FirstSlot(key);; slot = (slot + 1) & mask) {
        const std::uint32_t held = m_slots[slot];
        if (held == 0 || m_keys[held - 1] == key) {
            return slot;
        }
    }
}

void KnownArchives::Rehash(std::size_t slots) {
    m_slots.assign(slots, 0);
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        m_slots[Find(m_keys[i])] = static_cast<std::uint32_t>(i + 1);
    }
}

bool KnownArchives::Insert(const ArchiveKey& key) {
    if (m_slots.size() < SlotsFor(m_keys.size() + 1)) {
        Rehash(SlotsFor(m_keys.size() + 1));
    }
    const std::size_t slot = Find(key);
    if (m_slots[slot] != 0) {
        return false;
    }
    m_keys.push_back(key);
    m_slots[slot] = static_cast<std::uint32_t>(m_keys.size());
    return true;
}

bool KnownArchives::Contains(const ArchiveKey& key) const {
    return !m_slots.empty() && m_slots[Find(key)] != 0;
}

}  // namespace zep
