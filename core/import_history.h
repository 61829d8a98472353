#pragma once
// The import history: which archives were taken from cards and devices before, so that a card
// kept as a backup or a file a device failed to delete is not imported again, and which outputs
// of a raw file's conversion are already on disk, so that a conversion cut short by a crash goes
// on where it stopped. Workers, the conversion and the preview share one history; every call
// may come from any thread.
//
// An archive is recorded only after its raw file is published and the program folder's names
// are flushed: a crash in between can bring an archive twice, never lose one. A history that
// cannot be written says so once, in red, and goes on in memory: it never stops an import.
#include <map>
#include <mutex>
#include <span>
#include <vector>

#include "core/archive_key.h"
#include "core/history_record.h"
#include "core/known_archives.h"
#include "core/worker_report.h"

namespace zep {

class ImportHistory {
public:
    virtual ~ImportHistory() = default;

    // Whether the archive was imported before.
    virtual bool Contains(const ArchiveKey& archive) const = 0;
    // Records archives whose raw files are on disk, names included. False when the entries
    // could not be stored (they are kept for this run).
    virtual bool Record(std::span<const ArchiveKey> archives, WorkerReport& report) = 0;

    // The outputs of the raw file's conversion that are on disk already, in ascending order.
    virtual std::vector<std::uint16_t> PublishedOutputs(const ArchiveKey& rawFile) const = 0;
    // Records that an output is published and its name flushed, before the next is written.
    // False when it could not be stored: the conversion cannot rely on going on from here.
    virtual bool RecordOutput(const ArchiveKey& rawFile, std::uint16_t output,
                              WorkerReport& report) = 0;
    // The raw file has left the program folder: its outputs need no longer be remembered.
    virtual void EndConversion(const ArchiveKey& rawFile, WorkerReport& report) = 0;
};

// The history held in memory; the history of the program folder stores each change on disk as
// well (Store).
class MemoryImportHistory : public ImportHistory {
public:
    bool Contains(const ArchiveKey& archive) const override;
    bool Record(std::span<const ArchiveKey> archives, WorkerReport& report) override;
    std::vector<std::uint16_t> PublishedOutputs(const ArchiveKey& rawFile) const override;
    bool RecordOutput(const ArchiveKey& rawFile, std::uint16_t output,
                      WorkerReport& report) override;
    void EndConversion(const ArchiveKey& rawFile, WorkerReport& report) override;

    std::size_t ArchiveCount() const;

protected:
    // Stores entries that were just taken into memory; called with the lock held. False when
    // they may not be on disk.
    virtual bool Store(std::span<const HistoryEntry> entries, WorkerReport& report);
    // Takes one entry into memory (loading); the lock must be held or not yet needed.
    void Take(const HistoryEntry& entry);

    mutable std::mutex m_mutex;
    KnownArchives m_archives;
    std::map<ArchiveKey, std::vector<std::uint16_t>> m_outputs;
};

}  // namespace zep
