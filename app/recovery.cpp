// A killed run's leftovers cleared and its unrecorded raw files recorded, at the next start.
#include "app/recovery.h"

#include <optional>
#include <system_error>

#include "app/session_recorder.h"
#include "convert/conversion_worker.h"
#include "core/archive_key.h"
#include "core/path_text.h"
#include "platform/publish_file.h"
#include "platform/regular_file.h"

namespace zep {

namespace {

// Passes the history's red lines on to the start's lines.
class StartLines final : public WorkerReport {
public:
    explicit StartLines(std::vector<std::string>& lines) : m_lines(lines) {}
    void SetBar1(int, std::optional<std::string>) override {}
    void SetBar2(int, std::optional<std::string>) override {}
    void AddLogLines(std::optional<std::string>, std::optional<std::string> upper) override {
        if (upper) {
            m_lines.push_back(std::move(*upper));
        }
    }

private:
    std::vector<std::string>& m_lines;
};

}  // namespace

std::string TemporaryTagOf(const std::filesystem::path& programFolder) {
    const std::string text = PathToUtf8(programFolder);
    const ArchiveKey digest =
        ArchiveKeyOf(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    static constexpr char kHex[] = "0123456789abcdef";
    std::string tag;
    for (int i = 0; i < 4; ++i) {
        tag += kHex[digest.digest[i] >> 4];
        tag += kHex[digest.digest[i] & 0x0F];
    }
    return tag;
}

void RemoveLeftovers(const std::filesystem::path& programFolder, const DispatchValues& values,
                     std::vector<std::string>& lines) {
    // A recording cut short by a kill leaves its temporary among the recordings.
    std::vector<std::filesystem::path> folders{programFolder, programFolder / kSessionsFolder};
    if (const auto written = ConversionFoldersOf(values)) {
        folders.push_back(written->import);
        if (written->printer != written->import) {
            folders.push_back(written->printer);
        }
    }
    int removed = 0;
    for (const auto& folder : folders) {
        removed += RemoveOwnTemporaries(folder);
    }
    if (removed > 0) {
        lines.push_back("Удалено временных файлов прерванной работы: " + std::to_string(removed));
    }
}

void RecordUnrecordedRawFiles(const std::filesystem::path& programFolder, ImportHistory& history,
                              std::vector<std::string>& lines) {
    std::vector<ArchiveKey> unrecorded;
    std::error_code error;
    for (std::filesystem::directory_iterator it(programFolder, error), end; !error && it != end;
         it.increment(error)) {
        if (!IsRawFileName(PathToUtf8(it->path().filename()))) {
            continue;
        }
        const auto key = ArchiveKeyOfFile(it->path());
        if (key && !history.Contains(*key)) {
            unrecorded.push_back(*key);
        }
    }
    if (unrecorded.empty()) {
        return;
    }
    StartLines report(lines);
    history.Record(unrecorded, report);
    lines.push_back("Записано в журнал импорта архивов, сохранённых до прерывания работы: " +
                    std::to_string(unrecorded.size()));
}

}  // namespace zep
