#pragma once
// Log lines that more than one worker writes, word for word alike.
#include <string>

namespace zep {

// The last line of every device exchange and card import, on every path.
inline constexpr const char* kImportDoneLine = "$03Импорт данных завершен.";
// A raw or output file that could not be written in full (the ZEP exchange has its own text,
// without the full stop).
inline constexpr const char* kWriteErrorLine = "$04Ошибка записи на диск двоичного файла.";

// Once per card or session, when archives the import history knows were passed over.
inline std::string KnownArchivesLine(int count) {
    return "Пропущено ранее импортированных архивов: " + std::to_string(count);
}

}  // namespace zep
