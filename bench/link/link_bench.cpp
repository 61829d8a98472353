// Downloads a set from each simulated device, the device sending at the line rate of 57600
// bit/s, and compares the time taken with the least the line allows: the bytes the device sent
// at 10 bits each plus the pauses the exchange prescribes (sleeps longer than a 1 ms poll).
// Goal: a ratio of at most 1.05 for each exchange, also while the session is recorded. Each runs
// as the program runs it: every unit saved with the program folder's names flushed and recorded
// in an import history of its own.
//
//   link_bench [--quick] [--record]
//     --quick: sets an eighth of the size, for a fast check
//     --record: each session recorded as the program records it (the folder "sessions")
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "app/import_history_file.h"
#include "app/session_recorder.h"
#include "core/clock.h"
#include "link/exchanges.h"
#include "link/session_tape.h"
#include "platform/environment.h"
#include "platform/serial_port_factory.h"
#include "tools/sim/kolvar_device_sim.h"
#include "tools/sim/tessal_collector_sim.h"
#include "tools/sim/zep_adapter_sim.h"

namespace zep {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr int kPort = 91;
constexpr double kBytesPerSecond = 57600 / 10.0;

// Counts what the device sent; everything else passes through.
class CountingPort final : public SerialPort {
public:
    explicit CountingPort(SerialPort& inner) : m_inner(inner) {}
    std::int64_t BytesIn() const { return m_bytesIn; }

    int PortOpen(int p) override { return m_inner.PortOpen(p); }
    void PortClose(int p) override { m_inner.PortClose(p); }
    int PortSetLineParams(int p, int r, int m) override {
        return m_inner.PortSetLineParams(p, r, m);
    }
    int PortSetFlowControl(int p, int m) override { return m_inner.PortSetFlowControl(p, m); }
    int PortGetSpeed(int p) override { return m_inner.PortGetSpeed(p); }
    int PortSetSpeed(int p, int s) override { return m_inner.PortSetSpeed(p, s); }
    int PortGetReadTimeouts(int p, std::uint32_t& t, std::uint32_t& i) override {
        return m_inner.PortGetReadTimeouts(p, t, i);
    }
    int PortSetReadTimeouts(int p, std::uint32_t t, std::uint32_t i) override {
        return m_inner.PortSetReadTimeouts(p, t, i);
    }
    int PortReadByte(int p) override {
        const int byte = m_inner.PortReadByte(p);
        m_bytesIn += byte >= 0;
        return byte;
    }
    int PortRead(int p, std::span<std::uint8_t> b) override {
        const int n = m_inner.PortRead(p, b);
        m_bytesIn += n > 0 ? n : 0;
        return n;
    }
    int PortWriteByte(int p, std::uint8_t b) override { return m_inner.PortWriteByte(p, b); }
    int PortWrite(int p, std::span<const std::uint8_t> b) override {
        return m_inner.PortWrite(p, b);
    }
    int PortFlush(int p, int w) override { return m_inner.PortFlush(p, w); }
    int PortOutputPending(int p) override { return m_inner.PortOutputPending(p); }
    int PortLineStatus(int p) override { return m_inner.PortLineStatus(p); }

private:
    SerialPort& m_inner;
    std::atomic<std::int64_t> m_bytesIn{0};
};

// Sums the prescribed pauses (polling sleeps of 1 ms are not pauses).
class PauseClock final : public Clock {
public:
    std::time_t Now() override { return m_inner.Now(); }
    void SleepMs(int ms) override {
        if (ms > 1)
            m_pausesMs += ms;
        m_inner.SleepMs(ms);
    }
    std::int64_t TickMs() override { return m_inner.TickMs(); }
    std::int64_t PausesMs() const { return m_pausesMs; }

private:
    Clock& m_inner = DefaultClock();
    std::int64_t m_pausesMs = 0;
};

class SilentReport final : public WorkerReport {
public:
    void SetBar1(int, std::optional<std::string>) override {}
    void SetBar2(int, std::optional<std::string>) override {}
    void AddLogLines(std::optional<std::string>, std::optional<std::string> upper) override {
        if (upper && upper->rfind("$04", 0) == 0) {
            std::printf("  log: %s\n", upper->c_str());
            ++errors;
        }
    }
    int errors = 0;
};

Bytes RandomBytes(std::mt19937& random, std::size_t size) {
    Bytes bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    return bytes;
}

std::size_t Between(std::mt19937& random, std::size_t low, std::size_t high) {
    return std::uniform_int_distribution<std::size_t>(low, high)(random);
}

// Opens the device's tty as COM<kPort>, as the poll does, and consumes its prompt.
bool Connect(SerialPort& port, const fs::path& home, const std::string& tty,
             const std::string& prompt) {
    const fs::path links = home / "zepimport" / "ports";
    fs::create_directories(links);
    fs::remove(links / ("COM" + std::to_string(kPort)));
    fs::create_symlink(tty, links / ("COM" + std::to_string(kPort)));
    if (port.PortOpen(kPort) != 0 || port.PortSetLineParams(kPort, 12, 3) != 0 ||
        port.PortSetFlowControl(kPort, 0) != 0 || port.PortSetReadTimeouts(kPort, kNeverWait, 1)) {
        return false;
    }
    std::string seen;
    for (int waited = 0; waited < 5000; waited += 10) {
        for (int byte; (byte = port.PortReadByte(kPort)) >= 0;) seen.push_back(char(byte));
        if (seen.find(prompt) != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

using Exchange = void (*)(const WorkerParams&, SerialPort&, const WorkerEnvironment&);

// Runs one exchange, through a session recording when a recorder is given; returns the ratio
// of measured time to the line-rate minimum with pauses.
double Measure(const char* name, sim::DeviceSim& device, const std::string& prompt,
               Exchange exchange, RecordedDevice kind, const fs::path& work,
               SessionRecorder* recorder) {
    const fs::path folder = work / name;
    fs::create_directories(folder);
    if (!device.Start()) {
        std::printf("%s: no pseudo-terminal\n", name);
        return -1;
    }
    auto real = CreateSerialPort();
    CountingPort port(*real);
    if (!Connect(port, work / "config", device.SlavePath(), prompt)) {
        std::printf("%s: the device did not announce itself\n", name);
        return -1;
    }
    SilentReport report;
    PauseClock clock;
    WorkerLock lock;
    WorkerParams params;
    params.port = kPort;
    params.deleteData = true;
    params.importOnce = true;
    std::vector<std::string> historyLines;
    const auto history = ImportHistoryFile::Open(folder, clock, historyLines);
    const std::int64_t before = port.BytesIn();
    const auto start = std::chrono::steady_clock::now();
    if (recorder) {
        const RecordingHeader header{kind, true, kPort, 0, clock.Now()};
        const auto output = recorder->Begin(header, report);
        SessionTape tape(header, port, clock, report, *output);
        WorkerEnvironment env{tape.Report(), tape.SessionClock(), lock,
                              folder,        tape.Stop(),         history.get()};
        env.rawFiles = &tape.Files();
        exchange(params, tape.Port(), env);
        tape.End();
    } else {
        exchange(
            params, port,
            WorkerEnvironment{report, clock, lock, folder, StopRequest::Never(), history.get()});
    }
    const double measured =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    port.PortClose(kPort);
    device.Stop();

    const std::int64_t bytes = port.BytesIn() - before;
    const double line = bytes / kBytesPerSecond;
    const double pauses = clock.PausesMs() / 1000.0;
    const double ratio = measured / (line + pauses);
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        files += entry.path().filename() != kHistoryFileName;
    }
    std::printf(
        "%-7s files %3zu  bytes %8lld  line %7.2f s  pauses %6.2f s  measured %7.2f s  "
        "ratio %.3f %s%s\n",
        name, files, static_cast<long long>(bytes), line, pauses, measured, ratio,
        ratio <= 1.05 ? "(goal met)" : "(goal missed)", report.errors ? "  ERRORS" : "");
    return ratio;
}

}  // namespace
}  // namespace zep

int main(int argc, char** argv) {
    using namespace zep;
    bool quick = false;
    bool record = false;
    for (int i = 1; i < argc; ++i) {
        quick = quick || std::string(argv[i]) == "--quick";
        record = record || std::string(argv[i]) == "--record";
    }
    const std::size_t scale = quick ? 8 : 1;
    const fs::path work =
        fs::temp_directory_path() / ("zep-link-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(work / "config");
    SetEnvironmentValue("XDG_CONFIG_HOME", (work / "config").string());
    std::mt19937 random(2009);

    sim::SimOptions options;
    options.pace = true;

    std::vector<sim::ZepFile> files;
    for (int i = 0; i < 20; ++i) {
        files.push_back({"F" + std::to_string(i) + ".zep",
                         RandomBytes(random, Between(random, 1024, 65536) / scale)});
    }
    sim::ZepAdapterSim adapter(files, options);

    sim::TessalDatabase database;
    for (std::size_t volumes = 1; volumes <= 8; ++volumes) {
        sim::TessalArchive archive;
        const std::string header(
            "N\0TESSAL\0"
            "0\0V\0S\0",
            17);
        for (std::size_t i = 0; i < volumes; ++i) {
            Bytes volume(2 + header.size());
            volume[1] = static_cast<std::uint8_t>(header.size());
            std::copy(header.begin(), header.end(), volume.begin() + 2);
            const Bytes data = RandomBytes(random, Between(random, 1024, 8192) / scale);
            volume.insert(volume.end(), data.begin(), data.end());
            archive.volumes.push_back(volume);
        }
        database.archives.push_back(archive);
    }
    sim::TessalCollectorSim collector(database, options);

    std::vector<sim::KolvarRecord> records;
    for (int i = 0; i < 10; ++i) {
        Bytes record =
            RandomBytes(random, std::max<std::size_t>(177, Between(random, 1024, 65536) / scale));
        record[14] = record[29] = record[48] = 0;  // the three title texts end in their fields
        records.push_back({record, "R" + std::to_string(i)});
    }
    options.chunkSize = 8192;
    sim::KolvarDeviceSim kolvar(records, options);

    std::printf("exchange time against line rate at 57600 bit/s (10 bits per byte)%s\n",
                record ? ", sessions recorded" : "");
    auto recorder = record ? std::make_unique<SessionRecorder>(work) : nullptr;
    const double ratios[] = {
        Measure("ZEP", adapter, "ZEP>", &ZepExchange, RecordedDevice::Zep, work, recorder.get()),
        Measure("Tessal", collector, "CL>", &TessalExchange, RecordedDevice::Tessal, work,
                recorder.get()),
        Measure("Kolvar", kolvar, "KLV10>", &KolvarExchange, RecordedDevice::Kolvar, work,
                recorder.get()),
    };
    if (recorder) {
        recorder->Drain();
        std::uint64_t bytes = 0;
        for (const auto& entry : fs::directory_iterator(work / kSessionsFolder)) {
            bytes += entry.file_size();
        }
        std::printf("recordings: %llu bytes\n", static_cast<unsigned long long>(bytes));
        recorder.reset();
    }
    fs::remove_all(work);
    for (double ratio : ratios) {
        if (ratio < 0 || ratio > 1.05)
            return 1;
    }
    return 0;
}
