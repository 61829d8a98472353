// The log lines of the conversions, with the values of files and drivers made readable.
#include "convert/conversion_lines.h"

#include "core/path_text.h"
#include "platform/cp1251.h"

namespace zep {

namespace {

// "type, serial, virtual number" of a device as a person reads them.
std::string DeviceText(const std::string& type, const std::string& serial,
                       const std::string& virtualNumber) {
    return Cp1251ToUtf8(type) + ", " + Cp1251ToUtf8(serial) + ", " + Cp1251ToUtf8(virtualNumber);
}

}  // namespace

std::string ProcessingLine(const std::string& type, const std::string& serial,
                           const std::string& virtualNumber) {
    return "$02CNV: Обработка " + DeviceText(type, serial, virtualNumber) + " ...";
}

std::string NoDriverLine(const std::string& type) {
    return "$04CNV: Не найден драйвер прибора '" + Cp1251ToUtf8(type) + "'.";
}

std::string DriverErrorLine(int code) {
    return "$04CNV: Ошибка обработки данных драйвером (" + std::to_string(code) + ").";
}

std::string IncompleteLine(int code) {
    return "$04CNV: Данные обработаны не полностью (" + std::to_string(code) + ")";
}

std::string BinErrorLine(const std::string& type, const std::string& serial,
                         const std::string& virtualNumber) {
    return "$04" + DeviceText(type, serial, virtualNumber) + " - ошибка обработки bin-файла";
}

std::string ImpSaveErrorLine(const std::string& type, const std::string& serial,
                             const std::string& virtualNumber) {
    return "$04" + DeviceText(type, serial, virtualNumber) + " - ошибка сохранения imp-файла";
}

std::string ZvoSaveErrorLine(const std::string& type, const std::string& serial,
                             const std::string& virtualNumber) {
    return "$04" + DeviceText(type, serial, virtualNumber) + " - ошибка сохранения zvo-файла";
}

std::string FolderUnavailableLine(const std::string& folder) {
    return "$04CNV: Не удалось создать файл в каталоге '" + folder + "'.";
}

std::string PrinterMoveFailedLine(const std::string& file, const std::string& folder) {
    return "$04CNV: Не удалось перенести файл данных принтера '" + file + "' в каталог '" + folder +
           "'.";
}

std::string NotAPlainFileLine(const std::string& file) {
    return "$04CNV: '" + file + "' - не обычный файл (ссылка, канал или устройство), он пропущен.";
}

std::string DamagedArchiveLine(const std::string& file, std::uint64_t offset) {
    return "$04CNV: Файл '" + file + "' повреждён (смещение " + std::to_string(offset) +
           "): записи после этого места не прочитаны, файл сохранён в каталоге программы.";
}

std::string RawFileStuckLine(const std::string& file) {
    return "$04CNV: Файл '" + file +
           "' не удалось удалить или переименовать, он остаётся до перезапуска программы.";
}

std::optional<std::string> ForeignEncodingLine(const DispatchValues& values,
                                               std::string_view section) {
    const auto file = values.ForeignEncodingCarrier(section);
    if (!file) {
        return std::nullopt;
    }
    return "$04Файл '" + PathToUtf8(*file) +
           "' есть, но сохранён в кодировке Unicode (UTF-16 или UTF-32), его значения не "
           "прочитаны: сохраните файл в кодировке ANSI или UTF-8.";
}

}  // namespace zep
