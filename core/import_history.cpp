// The import history in memory: the known archives and the outputs of unfinished conversions.
#include "core/import_history.h"

#include <algorithm>

namespace zep {

bool MemoryImportHistory::Contains(const ArchiveKey& archive) const {
    const std::lock_guard lock(m_mutex);
    return m_archives.Contains(archive);
}

std::size_t MemoryImportHistory::ArchiveCount() const {
    const std::lock_guard lock(m_mutex);
    return m_archives.Size();
}

void MemoryImportHistory::Take(const HistoryEntry& entry) {
    switch (entry.kind) {
        case HistoryKind::Imported:
            m_archives.Insert(entry.key);
            break;
        case HistoryKind::OutputPublished: {
            auto& outputs = m_outputs[entry.key];
            const auto at = std::lower_bound(outputs.begin(), outputs.end(), entry.output);
            if (at == outputs.end() || *at != entry.output) {
                outputs.insert(at, entry.output);
            }
            break;
        }
        case HistoryKind::ConversionEnded:
            m_outputs.erase(entry.key);
            break;
    }
}

bool MemoryImportHistory::Record(std::span<const ArchiveKey> archives, WorkerReport& report) {
    std::vector<HistoryEntry> entries;
    entries.reserve(archives.size());
    for (const ArchiveKey& archive : archives) {
        entries.push_back({HistoryKind::Imported, 0, 0, archive});
    }
    const std::lock_guard lock(m_mutex);
    for (const HistoryEntry& entry : entries) {
        Take(entry);
    }
    return entries.empty() || Store(entries, report);
}

std::vector<std::uint16_t> MemoryImportHistory::PublishedOutputs(const ArchiveKey& rawFile) const {
    const std::lock_guard lock(m_mutex);
    const auto found = m_outputs.find(rawFile);
    return found == m_outputs.end() ? std::vector<std::uint16_t>{} : found->second;
}

bool MemoryImportHistory::RecordOutput(const ArchiveKey& rawFile, std::uint16_t output,
                                       WorkerReport& report) {
    const HistoryEntry entry{HistoryKind::OutputPublished, output, 0, rawFile};
    const std::lock_guard lock(m_mutex);
    Take(entry);
    return Store(std::span(&entry, 1), report);
}

void MemoryImportHistory::EndConversion(const ArchiveKey& rawFile, WorkerReport& report) {
    const HistoryEntry entry{HistoryKind::ConversionEnded, 0, 0, rawFile};
    const std::lock_guard lock(m_mutex);
    if (m_outputs.erase(rawFile) != 0) {
        Store(std::span(&entry, 1), report);
    }
}

bool MemoryImportHistory::Store(std::span<const HistoryEntry>, WorkerReport&) {
    return true;
}

}  // namespace zep
