// The import history at its bound: a history of 1,000,000 archives (and one of 1,200,000, of
// which the newest 1,000,000 are kept) is loaded as the start-up loads it, timed, with the
// growth of resident memory it costs; then lookups are timed. Goals: under 1 s and under 64 MB
// for 1,000,000 entries.
//   history_bench [work folder]   (default: the system's temporary folder)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "app/import_history_file.h"
#include "bench/common/process_memory.h"
#include "core/history_record.h"

namespace {

namespace fs = std::filesystem;
using Seconds = std::chrono::duration<double>;

zep::ArchiveKey RandomKey(std::mt19937_64& random) {
    zep::ArchiveKey key;
    for (auto& byte : key.digest) {
        byte = static_cast<std::uint8_t>(random());
    }
    key.length = random() % 1000000;
    return key;
}

// A history of count archives recorded over the last 300 days, oldest first.
void WriteHistory(const fs::path& file, std::size_t count, std::time_t now) {
    std::mt19937_64 random(1);
    std::ofstream out(file, std::ios::binary);
    const auto header = zep::HistoryHeader();
    out.write(reinterpret_cast<const char*>(header.data()), header.size());
    for (std::size_t i = 0; i < count; ++i) {
        const auto time = static_cast<std::uint32_t>(now - 300 * 86400 + i * 300 * 86400 / count);
        const auto bytes =
            zep::EncodeHistoryEntry({zep::HistoryKind::Imported, 0, time, RandomKey(random)});
        out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
}

class FixedClock final : public zep::Clock {
public:
    explicit FixedClock(std::time_t now) : m_now(now) {}
    std::time_t Now() override { return m_now; }
    void SleepMs(int) override {}
    std::int64_t TickMs() override { return 0; }

private:
    std::time_t m_now;
};

}  // namespace

int main(int argc, char** argv) {
    const fs::path work =
        (argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path()) / "zep-history-bench";
    const std::time_t now = 1800000000;
    FixedClock clock(now);
    bool met = true;
    for (const std::size_t count : {std::size_t{1000000}, std::size_t{1200000}}) {
        fs::remove_all(work);
        fs::create_directories(work);
        WriteHistory(work / zep::kHistoryFileName, count, now);
        const double fileMb =
            static_cast<double>(fs::file_size(work / zep::kHistoryFileName)) / 1048576.0;
        zep::bench::ResetPeakMemory();
        const double before = zep::bench::StatusMegabytes("VmRSS:");
        std::vector<std::string> lines;
        const auto start = std::chrono::steady_clock::now();
        auto history = zep::ImportHistoryFile::Open(work, clock, lines);
        const double load = Seconds(std::chrono::steady_clock::now() - start).count();
        const double peak = zep::bench::StatusMegabytes("VmHWM:") - before;
        const double held = zep::bench::StatusMegabytes("VmRSS:") - before;

        // The newest 1,000,000 keys, generated again before the lookups are timed.
        std::mt19937_64 again(1);
        std::vector<zep::ArchiveKey> keys(count);
        for (auto& key : keys) {
            key = RandomKey(again);
        }
        std::size_t found = 0;
        const auto lookups = std::chrono::steady_clock::now();
        for (std::size_t i = count - history->ArchiveCount(); i < count; ++i) {
            found += history->Contains(keys[i]) ? 1 : 0;
        }
        const double lookup = Seconds(std::chrono::steady_clock::now() - lookups).count();
        std::printf(
            "%zu entries (%.1f MB file): load %.3f s, memory +%.1f MB held (+%.1f MB peak), "
            "%zu kept, %zu found, %.0f ns per lookup, red lines %zu, file after %.1f MB\n",
            count, fileMb, load, held, peak, history->ArchiveCount(), found,
            lookup * 1e9 / static_cast<double>(history->ArchiveCount()), lines.size(),
            static_cast<double>(fs::file_size(work / zep::kHistoryFileName)) / 1048576.0);
        if (count == 1000000) {
            met = load < 1.0 && peak < 64.0 && found == history->ArchiveCount();
        }
    }
    std::printf("goals: 1,000,000 entries load within 1 s and 64 MB: %s\n", met ? "met" : "missed");
    fs::remove_all(work);
    return 0;
}
