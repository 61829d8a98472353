// The import history is read back at every start from a file that a crash may have cut short
// and a disk may have damaged: any bytes must load, be set aside or be ignored entry by entry,
// and the history must go on recording afterwards.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/import_history_file.h"

namespace {

// A program folder of its own, removed when the process ends.
struct ProgramFolder {
    ProgramFolder()
        : folder(std::filesystem::temp_directory_path() /
                 ("zep-history-fuzz-" + std::to_string(std::random_device{}()))) {
        std::filesystem::create_directories(folder);
    }
    ~ProgramFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::filesystem::path folder;
};

class FixedClock final : public zep::Clock {
public:
    std::time_t Now() override { return 1800000000; }
    void SleepMs(int) override {}
    std::int64_t TickMs() override { return 0; }
};

class Silent final : public zep::WorkerReport {
public:
    void SetBar1(int, std::optional<std::string>) override {}
    void SetBar2(int, std::optional<std::string>) override {}
    void AddLogLines(std::optional<std::string>, std::optional<std::string>) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ProgramFolder program;
    for (const auto& entry : std::filesystem::directory_iterator(program.folder)) {
        std::filesystem::remove_all(entry.path());
    }
    {
        std::ofstream file(program.folder / zep::kHistoryFileName, std::ios::binary);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    FixedClock clock;
    Silent report;
    std::vector<std::string> lines;
    auto history = zep::ImportHistoryFile::Open(program.folder, clock, lines);
    const auto key = zep::ArchiveKeyOf(std::span(data, size));
    history->Record(std::vector{key}, report);
    history->RecordOutput(key, 1, report);
    history->PublishedOutputs(key);
    history.reset();
    // What was recorded after loading any bytes is there at the next start.
    if (!zep::ImportHistoryFile::Open(program.folder, clock, lines)->Contains(key)) {
        __builtin_trap();
    }
    return 0;
}
