// The log lines about the driver host, in the words of the conversion's other lines.
#include "convert/driver_host_lines.h"

#include "platform/cp1251.h"

namespace zep {

namespace {

constexpr const char* kKeptLine =
    "; файл сохранён в каталоге программы и больше не обрабатывается.";

std::string Seconds(long long seconds) {
    return std::to_string(seconds) + " с";
}

}  // namespace

std::string DriverNotLoadedLine(const std::string& library, HostFault fault, long long seconds) {
    std::string line = "$04Драйвер '" + library + "' не загружен: ";
    switch (fault) {
        case HostFault::Ended:
            return line + "процесс драйверов аварийно завершился при его вызове.";
        case HostFault::Hung:
            return line + "он не ответил за " + Seconds(seconds) + ".";
        case HostFault::Garbled:
            return line + "процесс драйверов передал неверные данные.";
    }
    return line;
}

std::string HostNotStartedLine(const std::string& program, const std::string& reason) {
    return "$04Не удалось запустить процесс драйверов '" + program + "': " + reason +
           ". Драйверы не загружены.";
}

std::string HostFaultLine(const std::string& type, const std::string& file, HostFault fault,
                          long long seconds) {
    std::string line =
        "$04CNV: Сбой драйвера прибора '" + Cp1251ToUtf8(type) + "' на файле '" + file + "': ";
    switch (fault) {
        case HostFault::Ended:
            line += "процесс драйверов аварийно завершился";
            break;
        case HostFault::Hung:
            line +=
                "обработка длилась дольше " + Seconds(seconds) + ", процесс драйверов остановлен";
            break;
        case HostFault::Garbled:
            line += "процесс драйверов передал неверные данные";
            break;
    }
    return line + kKeptLine;
}

std::string HostNotStartedForFileLine(const std::string& type, const std::string& file,
                                      const std::string& reason) {
    return "$04CNV: Файл '" + file + "' (прибор '" + Cp1251ToUtf8(type) +
           "') не обработан: не удалось запустить процесс драйверов (" + reason + ")" + kKeptLine;
}

std::string ConversionStoppedLine(const std::string& file) {
    return "$02CNV: Обработка файла '" + file +
           "' прервана: программа завершает работу, файл будет обработан при следующем запуске.";
}

}  // namespace zep
