// Converts a generated set of meter archives with the sample driver and with the null driver
// and compares both with a plain read and write of the same bytes, measured in the same run;
// each conversion runs with the drivers in this process and in the driver host process (the
// program started as its host, once for all files), and the two are set against each other.
// Usage: convert_bench [megabytes (default 60)] [work folder (default: the temporary folder)]
// Every output file is flushed to disk before it is published, so on a disk the flushes
// dominate both sides; a memory file system (/dev/shm) shows the processing cost itself.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "convert/conversion_context.h"
#include "convert/driver_host.h"
#include "convert/driver_host_main.h"
#include "convert/driver_table.h"
#include "convert/local_driver_calls.h"
#include "convert/meter_conversion.h"
#include "convert/output_file.h"
#include "core/clock.h"
#include "core/crc16.h"
#include "core/worker_report.h"
#include "platform/publish_file.h"
#include "platform/shared_library.h"

namespace fs = std::filesystem;

namespace {

class SilentReport final : public zep::WorkerReport {
public:
    void SetBar1(int, std::optional<std::string>) override {}
    void SetBar2(int, std::optional<std::string>) override {}
    void AddLogLines(std::optional<std::string> lower, std::optional<std::string> upper) override {
        // Failures would make the figures meaningless: show them.
        for (const auto& line : {lower, upper}) {
            if (line && line->starts_with("$04")) {
                std::fprintf(stderr, "%s\n", line->c_str());
            }
        }
    }
};

using Bytes = std::vector<std::uint8_t>;

void PutU32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

void PutF32(Bytes& out, float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    PutU32(out, bits);
}

void PutRecord(Bytes& out, std::uint8_t kind, const Bytes& data) {
    const auto length = static_cast<std::uint16_t>(data.size() + 4);
    out.push_back(static_cast<std::uint8_t>(length));
    out.push_back(static_cast<std::uint8_t>(length >> 8));
    const std::size_t body = out.size();
    out.push_back('T');
    out.push_back(kind);
    out.insert(out.end(), data.begin(), data.end());
    const std::uint16_t check = zep::Crc16(out.data() + body, out.size() - body);
    out.push_back(static_cast<std::uint8_t>(check));
    out.push_back(static_cast<std::uint8_t>(check >> 8));
}

// Two months of an M1 meter: its totals, 1440 hourly and 60 daily readings, as the meter
// leaves them in its archive (about 50 KB).
Bytes MeterArchive(const std::string& type, int serial, std::mt19937& random) {
    const std::string text = "Type=" + type + "\nSerial=" + std::to_string(serial) +
                             "\nVirtual=1\nVname=Building " + std::to_string(serial) +
                             "\nTime=2024-03-01 00:00:00\n";
    Bytes out = {'t', 'e', 's', 's', 0, 0};
    const std::size_t n = text.size() + 3;
    out.push_back(static_cast<std::uint8_t>(n));
    out.push_back(static_cast<std::uint8_t>(n >> 8));
    const std::size_t header = out.size();
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
    const std::uint16_t check = zep::Crc16(out.data() + header, out.size() - header);
    out.push_back(static_cast<std::uint8_t>(check));
    out.push_back(static_cast<std::uint8_t>(check >> 8));

    std::uniform_real_distribution<float> spread(0.9f, 1.1f);
    const auto reading = [&](std::uint32_t time, float hours) {
        Bytes data;
        PutU32(data, time);
        const float forward = 12.5f * spread(random);
        const float t1 = 85.0f * spread(random);
        const float t2 = 55.0f * spread(random);
        for (float v : {forward * (t1 - t2) / 1000.0f * hours, forward * hours,
                        forward * 0.98f * hours, t1, t2, hours}) {
            PutF32(data, v);
        }
        return data;
    };
    const std::uint32_t start = 1709251200;  // 2024-03-01
    Bytes totals = reading(start + 60 * 86400, 1.0f);
    PutF32(totals, 15234.5f);
    PutF32(totals, 38000.0f);
    PutRecord(out, 0, totals);
    for (std::uint32_t hour = 0; hour < 1440; ++hour) {
        PutRecord(out, 1, reading(start + hour * 3600, 1.0f));
        if (hour % 24 == 23) {
            PutRecord(out, 2, reading(start + hour * 3600, 24.0f));
        }
    }
    return out;
}

std::vector<fs::path> Generate(const fs::path& folder, const std::string& type,
                               std::size_t megabytes) {
    fs::create_directories(folder);
    std::mt19937 random(7);
    std::vector<fs::path> files;
    std::size_t total = 0;
    for (int serial = 1; total < megabytes * 1000000; ++serial) {
        const Bytes archive = MeterArchive(type, serial, random);
        const fs::path path = folder / (std::to_string(20240301000000LL + serial) + ".bia");
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(archive.data()),
                   static_cast<std::streamsize>(archive.size()));
        files.push_back(path);
        total += archive.size();
    }
    return files;
}

std::uintmax_t TotalSize(const std::vector<fs::path>& files) {
    std::uintmax_t total = 0;
    for (const auto& file : files) {
        total += fs::file_size(file);
    }
    return total;
}

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void EmptyFolder(const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
}

Bytes ReadAll(const fs::path& file) {
    Bytes bytes(fs::file_size(file));
    std::ifstream(file, std::ios::binary)
        .read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 60;
    const fs::path root =
        (argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path()) / "zep-convert-bench";
    fs::remove_all(root);
    const fs::path built(ZEP_BINARY_DIR);
    fs::create_directories(root / "drivers");
    const std::string suffix(zep::SharedLibrarySuffix());
    fs::copy_file(built / "drivers" / ("vl_m1" + suffix), root / "drivers" / ("vl_m1" + suffix));
    fs::copy_file(built / "test-drivers" / ("vl_null" + suffix),
                  root / "drivers" / ("vl_null" + suffix));

    SilentReport report;
    zep::DriverTable drivers;
    drivers.LoadDriversFrom(report, root / "drivers");
    if (drivers.FindDriver("M1") < 0 || drivers.FindDriver("NULL") < 0) {
        std::fprintf(stderr, "drivers not found below %s\n", built.string().c_str());
        return 1;
    }
    zep::LocalDriverCalls calls{drivers};
    zep::ConversionContext context{report, calls, zep::DefaultClock()};
#ifdef _WIN32
    const fs::path program = built / "bin" / "zepimport.exe";
#else
    const fs::path program = built / "bin" / "zepimport";
#endif
    zep::DriverHost host({program, {zep::kDriverHostOption}, std::chrono::seconds(300), {}});
    host.LoadDriversFrom(report, root / "drivers");
    if (host.Names().size() != 2) {
        std::fprintf(stderr, "the driver host %s did not load both drivers\n",
                     program.string().c_str());
        return 1;
    }
    zep::ConversionContext hostContext{report, host, zep::DefaultClock()};

    // The two sets differ only in the "Type" value of the header.
    const auto m1Files = Generate(root / "m1", "M1", megabytes);
    const auto nullFiles = Generate(root / "null", "NULL", megabytes);
    const double inputMb = static_cast<double>(TotalSize(m1Files)) / 1e6;
    const fs::path out = root / "out";
    std::printf("input: %zu meter archives, %.1f MB, in %s\n", m1Files.size(), inputMb,
                root.string().c_str());

    // Baseline: the same bytes read and written as files, published like an import file.
    const auto publishedCopy = [&] {
        int n = 0;
        for (const auto& file : m1Files) {
            const Bytes bytes = ReadAll(file);
            auto pending = zep::PendingFile::Create(out);
            pending->Write(bytes);
            pending->Publish(out / (std::to_string(n++) + ".copy"));
        }
    };
    const auto plainCopy = [&] {
        int n = 0;
        for (const auto& file : m1Files) {
            const Bytes bytes = ReadAll(file);
            std::ofstream(out / std::to_string(n++), std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
        }
    };
    const auto convertAll = [&](const std::vector<fs::path>& files, zep::ConversionContext& with) {
        return [&with, &files, &out] {
            for (const auto& file : files) {
                std::string label;
                zep::ConvertMeterArchive(file, out, with, label);
            }
        };
    };

    // The machine is shared and other loads only ever add time: the phases take turns, and
    // the best run of each counts.
    struct Phase {
        const char* what;
        std::function<void()> work;
        int runs;
        double best = 1e300;
        std::uintmax_t outputBytes = 0;
    };
    // The two processes of the host phases take turns for every file, which a loaded machine
    // delays now and then: the short phases get more turns.
    std::vector<Phase> phases = {
        {"plain read + write, published (baseline)", publishedCopy, 7},
        {"plain read + write, not flushed", plainCopy, 7},
        {"conversion, null driver", convertAll(nullFiles, context), 15},
        {"conversion, M1 sample driver", convertAll(m1Files, context), 3},
        {"conversion in the host, null driver", convertAll(nullFiles, hostContext), 15},
        {"conversion in the host, M1 sample driver", convertAll(m1Files, hostContext), 3},
    };
    for (int run = 0; run < 15; ++run) {
        for (Phase& phase : phases) {
            if (run < phase.runs) {
                EmptyFolder(out);
                phase.best = std::min(phase.best, Seconds(phase.work));
                phase.outputBytes = 0;
                for (const auto& entry : fs::directory_iterator(out)) {
                    phase.outputBytes += entry.file_size();
                }
            }
        }
    }
    const double copySeconds = phases[0].best;
    const double nullSeconds = phases[2].best;
    const auto line = [&](const char* what, double seconds) {
        std::printf("%-44s %8.3f s %9.1f MB/s   %5.2fx the published copy\n", what, seconds,
                    inputMb / seconds, seconds / copySeconds);
    };
    for (const Phase& phase : phases) {
        line(phase.what, phase.best);
    }
    std::printf("import files written: %.1f MB with the null driver, %.1f MB with M1\n",
                static_cast<double>(phases[2].outputBytes) / 1e6,
                static_cast<double>(phases[3].outputBytes) / 1e6);
    std::printf("goal: null-driver conversion within 3x of the plain copy: %s (%.2fx)\n",
                nullSeconds <= 3 * copySeconds ? "met" : "NOT met", nullSeconds / copySeconds);
    const double nullRatio = phases[4].best / nullSeconds;
    std::printf("host / in-process: %.2f with the null driver (goal <= 1.15: %s)\n", nullRatio,
                nullRatio <= 1.15 ? "met" : "NOT met");
    std::printf("host / in-process: %.2f with the M1 sample driver\n",
                phases[5].best / phases[3].best);
    host.UnloadDrivers();
    drivers.UnloadDrivers();
    fs::remove_all(root);
    return 0;
}
