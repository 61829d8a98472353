#pragma once
// The log lines about the driver host: a library left out while loading, a host that could not
// be started, and a conversion that cost its file because the host crashed, hung or broke the
// exchange. Device types are Windows-1251 and are turned into UTF-8 here.
#include <string>

namespace zep {

// What went wrong with the host while a driver ran in it.
enum class HostFault {
    Ended,    // the process ended (a crash, exit(), abort(), a closed channel)
    Hung,     // no answer within the driver time-out
    Garbled,  // what it sent was not the exchange
};

// Upper pane, while loading: "$04Драйвер '%s' не загружен: ..." naming the library file.
std::string DriverNotLoadedLine(const std::string& library, HostFault fault, long long seconds);
// Upper pane, while loading: "$04Не удалось запустить процесс драйверов '%s': %s. ..."
std::string HostNotStartedLine(const std::string& program, const std::string& reason);
// Lower pane: the file set aside, naming the device type and the file.
std::string HostFaultLine(const std::string& type, const std::string& file, HostFault fault,
                          long long seconds);
// Lower pane: no host could be started for the file.
std::string HostNotStartedForFileLine(const std::string& type, const std::string& file,
                                      const std::string& reason);
// Upper pane: a stop request ended the driver run; the file waits for the next start.
std::string ConversionStoppedLine(const std::string& file);

}  // namespace zep
