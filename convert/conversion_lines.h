#pragma once
// Log lines of the conversions. Values from files and drivers are Windows-1251 and are turned
// into UTF-8 before they are put into a line.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/dispatch_values.h"

namespace zep {

constexpr const char* kBiaFormatErrorLine = "$04Ошибка формата ZEP-файла (.BIA)";
constexpr const char* kConversionDoneLine = "$02CNV:Обработка завершена";
constexpr const char* kDriverCallFailedLine = "$04CNV: Ошибка вызова функции драйвера.";
constexpr const char* kPrinterWriteErrorLine = "$04CNV: Ошибка обработки данных принтера (ZUVO).";
// The driver left the output stream failed (bad or fail bit) other than by filling the buffer.
constexpr const char* kDriverStreamFailedLine =
    "$04CNV: Драйвер оставил поток вывода в состоянии ошибки, данные не сохранены.";
constexpr const char* kImportFolderMissingLine = "$04CNV: Не указан каталог импорта.";
// The text stopped at the 10 MiB of the output buffer; the rest of the file's text is missing.
constexpr const char* kOutputLimitLine =
    "$04CNV: Превышен размер буфера вывода (10485760 байт), данные усечены.";

// "$02CNV: Обработка %s, %s, %s ..."
std::string ProcessingLine(const std::string& type, const std::string& serial,
                           const std::string& virtualNumber);
// "$04CNV: Не найден драйвер прибора '%s'."
std::string NoDriverLine(const std::string& type);
// "$04CNV: Ошибка обработки данных драйвером (%d)."
std::string DriverErrorLine(int code);
// "$04CNV: Данные обработаны не полностью (%d)"
std::string IncompleteLine(int code);
// Lower-pane summaries "$04%s, %s, %s - ошибка обработки bin-файла" and the two save errors.
std::string BinErrorLine(const std::string& type, const std::string& serial,
                         const std::string& virtualNumber);
std::string ImpSaveErrorLine(const std::string& type, const std::string& serial,
                             const std::string& virtualNumber);
std::string ZvoSaveErrorLine(const std::string& type, const std::string& serial,
                             const std::string& virtualNumber);
// No file can be created in a folder (missing, read-only, full): "$04CNV: Не удалось создать
// файл в каталоге '%s'."
std::string FolderUnavailableLine(const std::string& folder);
// A printer protocol that could not be moved: "$04CNV: Не удалось перенести файл данных
// принтера '%s' в каталог '%s'."
std::string PrinterMoveFailedLine(const std::string& file, const std::string& folder);
// A raw file's name that leads to no plain file (a link, FIFO, device or socket), passed over:
// "$04CNV: '%s' - не обычный файл (ссылка, канал или устройство), он пропущен."
std::string NotAPlainFileLine(const std::string& file);
// Reading a meter archive stopped on a damaged record, a record cut short or stray bytes; the
// raw file is kept: "$04CNV: Файл '%s' повреждён (смещение %llu): записи после этого места не
// прочитаны, файл сохранён в каталоге программы."
std::string DamagedArchiveLine(const std::string& file, std::uint64_t offset);
// A raw file that can be neither deleted nor renamed: "$04CNV: Файл '%s' не удалось удалить
// или переименовать, он остаётся до перезапуска программы."
std::string RawFileStuckLine(const std::string& file);
// Follows the line of a value that is missing when the section's configuration file is there but
// saved as UTF-16 or UTF-32, which is read as missing: "$04Файл '%s' есть, но сохранён в
// кодировке Unicode (UTF-16 или UTF-32), его значения не прочитаны: сохраните файл в кодировке
// ANSI или UTF-8."; nullopt for any other file.
std::optional<std::string> ForeignEncodingLine(const DispatchValues& values,
                                               std::string_view section);

}  // namespace zep
