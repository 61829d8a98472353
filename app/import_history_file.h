#pragma once
// The import history of the program folder, "zepimport.history" (docs/history.md): loaded once
// at start-up, every later change appended and flushed. Loading drops the entries older than
// 400 days and the oldest beyond 1,000,000, and ignores an entry torn by a crash at the end.
// A history that cannot serve (damaged, not a plain file, written by a later version, not
// readable or not writable) is set aside as "zepimport.history.bad" with a red line, and a new
// one is begun; what cannot be written at all is kept in memory until the program ends. The
// history never stops an import.
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/import_history.h"
#include "platform/append_file.h"

namespace zep {

inline constexpr const char* kHistoryFileName = "zepimport.history";
inline constexpr std::uint32_t kHistoryMaxAgeDays = 400;
inline constexpr std::size_t kHistoryMaxArchives = 1000000;

class ImportHistoryFile final : public MemoryImportHistory {
public:
    // lines: receives the red lines the start shows about the history, if any.
    static std::unique_ptr<ImportHistoryFile> Open(const std::filesystem::path& programFolder,
                                                   Clock& clock, std::vector<std::string>& lines);

    const std::filesystem::path& Path() const { return m_path; }
    // False while the history lives in memory only.
    bool Stored() const;

private:
    ImportHistoryFile(std::filesystem::path path, Clock& clock);

    bool Store(std::span<const HistoryEntry> entries, WorkerReport& report) override;

    struct Loaded;
    Loaded Load();
    // Takes the whole entries of one window read; sets torn at a bad entry, and the state to
    // damaged at a good one after it.
    void TakeWindow(std::span<const std::uint8_t> bytes, std::int64_t cutoff, bool& torn,
                    Loaded& loaded);
    bool Rewrite(const std::vector<std::uint16_t>& days);
    bool SetAside();
    std::string Line(std::string_view what) const;

    std::filesystem::path m_path;
    Clock& m_clock;
    std::optional<AppendFile> m_file;
};

}  // namespace zep
