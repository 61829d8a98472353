#pragma once
// What the steps of a card import share: the worker's parameters and environment, the card
// file at hand, the names of the raw files written and the log texts.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/archive_key.h"
#include "core/worker_environment.h"
#include "core/worker_lines.h"
#include "core/worker_params.h"
#include "platform/publish_file.h"

namespace zep {

// Attempt numbers of the outputs of one run. Outputs of the same second and extension are
// numbered on from the last name taken instead of from 0, so a card of thousands of archives
// written within a second does not try every taken name again for each new one.
class OutputNumbering {
public:
    // name: the stamp and the extension, the parts of an output name besides the number.
    int FirstAttempt(const std::string& name) const { return name == m_name ? m_next : 0; }
    void Taken(const std::string& name, int attempt);

private:
    std::string m_name;
    int m_next = 0;
};

// What one card import counts across its files.
struct ImportTally {
    int known = 0;  // archives passed over as imported before
};

struct MediaImportContext {
    const WorkerParams& params;
    const WorkerEnvironment& env;
    OutputNumbering& numbering;
    ImportTally& tally;

    bool SelectionInForce() const { return !params.selection.empty(); }
    // True (and counted) when the archive was imported before and is to be passed over: with
    // "ImportOnce" on and no selection in force, since what the user checked in the preview is
    // imported whatever the history says.
    bool PassOver(const ArchiveKey& archive) const;
    // Records archives whose raw files and names are on disk.
    void Record(std::span<const ArchiveKey> archives) const;
};

struct CardFile {
    std::filesystem::path path;
    std::string name;  // without the folder, bytes as the file system gives them
    std::uintmax_t size = 0;
};

// program folder / "<time stamp>_<attempt><extension>"
std::filesystem::path RawOutputName(const std::filesystem::path& programFolder,
                                    const std::string& stamp, int attempt,
                                    const std::string& extension);

// The local time stamp of an output file, taken once per file.
std::string OutputStamp(const WorkerEnvironment& env);

// Publishes a finished output as program folder / "<stamp>_<n><extension>" under the first
// free attempt number n. nullopt when it cannot be published.
std::optional<std::filesystem::path> PublishOutput(PendingFile& file, const std::string& stamp,
                                                   const std::string& extension,
                                                   const MediaImportContext& context);

inline constexpr const char* kUnsupportedVersionLine =
    "$04Неподдерживаемая версия базы данных, обновите программу";
inline constexpr const char* kHeaderErrorLine = "$04Ошибка обработки заголовка файла";
inline constexpr const char* kChainErrorLine = "$04Ошибка сборки многотомного архива";
inline constexpr const char* kAllDeletedLine = "Все записи удалены, удаление файла";
inline constexpr const char* kSavingLine = "Сохранение изменений в файле";
inline constexpr const char* kDeletingLine = "Удаление файла";

// What was imported but could not leave the card would be imported again at the next
// insertion, so these failures are reported, naming the card file ("%s").
inline constexpr const char* kNotSavedLine = "$04Ошибка сохранения изменений в файле '%s'";
inline constexpr const char* kNotDeletedLine = "$04Ошибка удаления файла '%s'";
inline constexpr const char* kReadFailedLine = "$04Ошибка чтения файла '%s'";
inline constexpr const char* kRecordsKeptLine =
    "$04Импортированные записи не удалены из файла '%s'";

// The line with the card file's name (as log lines show it) in place of "%s".
std::string CardLine(std::string_view pattern, const CardFile& file);

// Deletes an imported card file. Fails when it could not be deleted, also when it is no longer
// found (a pulled card keeps it).
SystemDone RemoveCardFile(const CardFile& file);

}  // namespace zep
