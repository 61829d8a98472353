#pragma once
// What the steps of a card import share: the worker's parameters and environment, the card
// file at hand, the names of the raw files written and the log texts.
#include <cstdint>
#include <filesystem>
#include <string>

#include "app/worker/worker_environment.h"
#include "app/worker/worker_params.h"

namespace zep {

struct MediaImportContext {
    const WorkerParams& params;
    const WorkerEnvironment& env;

    bool SelectionInForce() const { return !params.selection.empty(); }
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

inline constexpr const char* kUnsupportedVersionLine =
    "$04Неподдерживаемая версия базы данных, обновите программу";
inline constexpr const char* kHeaderErrorLine = "$04Ошибка обработки заголовка файла";
inline constexpr const char* kChainErrorLine = "$04Ошибка сборки многотомного архива";
inline constexpr const char* kWriteErrorLine = "$04Ошибка записи на диск двоичного файла.";
inline constexpr const char* kAllDeletedLine = "Все записи удалены, удаление файла";
inline constexpr const char* kSavingLine = "Сохранение изменений в файле";
inline constexpr const char* kDeletingLine = "Удаление файла";
inline constexpr const char* kImportDoneLine = "$03Импорт данных завершен.";

}  // namespace zep
