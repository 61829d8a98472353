#pragma once
// The keys of the archives imported before, looked up in constant time: the keys one after
// another (40 bytes each) and a table of open addressing over them, never more than half full
// (4 bytes a slot), so a million keys take about 48 MB. It holds at most kCapacity keys, far
// beyond what the history keeps (1,000,000) plus what one run could add.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/archive_key.h"

namespace zep {

class KnownArchives {
public:
    static constexpr std::size_t kCapacity = (std::size_t{1} << 24) - 1;

    // Makes room for count keys at once, so that loading does not grow the storage step by step.
    void Reserve(std::size_t count);
    // False when the key was there already (or the table is at its capacity).
    bool Insert(const ArchiveKey& key);
    bool Contains(const ArchiveKey& key) const;
    // Asks the processor to fetch the slot where the key's search begins: a load that announces
    // the keys a few ahead of their insertion waits for memory once for several of them.
    void Prefetch(const ArchiveKey& key) const;
    std::size_t Size() const { return m_keys.size(); }
    // The keys in the order they were inserted.
    const std::vector<ArchiveKey>& Keys() const { return m_keys; }

private:
    // The slot where the search for the key begins; the digest is already evenly spread.
    std::size_t FirstSlot(const ArchiveKey& key) const;
    // The slot that holds the key, or the free one where it would go.
    std::size_t Find(const ArchiveKey& key) const;
    void Rehash(std::size_t slots);

    std::vector<ArchiveKey> m_keys;
    // Low 24 bits: index into m_keys + 1, 0 = free; high 8 bits: digest byte 8 of that key.
    std::vector<std::uint32_t> m_slots;
};

}  // namespace zep
