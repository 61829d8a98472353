// Speed of a full card: a card database of 65,535 records (over 200 MB) in archives of five
// volumes (or as many as asked for), timed through loading, the preview rows and the import
// with deletion and the import history, each next to a plain copy of the same file measured in
// the same run. The import writes one raw file per archive, so the number of volumes per archive
// decides how many files it creates: its floor is a plain program that writes the same files
// (create, write, rename each, one flush of the file system at the end), measured in the same
// run, in turns with the import over three rounds; the round of the median ratio is shown. The
// import's peak memory is set beside that of reading the file whole.
//   media_bench [work folder] [volumes per archive]   (default: the system's temporary folder, 5)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/import_history_file.h"
#include "bench/common/process_memory.h"
#include "core/worker_environment.h"
#include "media/card_database.h"
#include "media/media_import_worker.h"
#include "media/preview_model.h"
#include "platform/publish_file.h"
#include "tools/cardgen/card_builders.h"

namespace {

namespace fs = std::filesystem;
using Seconds = std::chrono::duration<double>;

class CountingReport : public zep::WorkerReport {
public:
    void SetBar1(int, std::optional<std::string>) override { ++bars; }
    void SetBar2(int, std::optional<std::string>) override {}
    void AddLogLines(std::optional<std::string>, std::optional<std::string> upper) override {
        if (upper) {
            lines.push_back(*upper);
        }
    }
    long bars = 0;
    std::vector<std::string> lines;
};

// A copy through a buffer of the program's own, as any reader of the file does it (the plain
// copy above may stay inside the kernel).
void BufferedCopy(const fs::path& from, const fs::path& to) {
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary);
    std::vector<char> buffer(1 << 20);
    while (in && out) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        out.write(buffer.data(), in.gcount());
    }
}

// How far the resident memory rose above where it stood while the step ran.
template <typename Step>
double PeakGrowth(Step&& step) {
    zep::bench::ResetPeakMemory();
    const double before = zep::bench::StatusMegabytes("VmRSS:");
    step();
    return zep::bench::StatusMegabytes("VmHWM:") - before;
}

template <typename Step>
double Time(Step&& step) {
    const auto start = std::chrono::steady_clock::now();
    step();
    return Seconds(std::chrono::steady_clock::now() - start).count();
}

// The step's wall time; its processor time goes to cpu.
template <typename Step>
double Time(Step&& step, double& cpu) {
    const std::clock_t start = std::clock();
    const double wall = Time(step);
    cpu = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    return wall;
}

// The floor of writing the import's files: each created under a temporary name, written in one
// call, renamed, and one flush of the file system at the end.
void PlainWrites(const std::vector<std::uintmax_t>& sizes, const fs::path& folder) {
    std::vector<char> content(sizes.empty() ? 0 : *std::max_element(sizes.begin(), sizes.end()),
                              'x');
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const fs::path temporary = folder / (".plain-" + std::to_string(i) + ".tmp");
        std::ofstream(temporary, std::ios::binary)
            .write(content.data(), static_cast<std::streamsize>(sizes[i]));
        fs::rename(temporary, folder / (std::to_string(i) + ".bin"));
    }
    zep::FlushFileSystem(folder);
}

struct Round {
    double import = 0;
    double plain = 0;
    // Processor time, user and system, of the same steps: what neither waits for the disk nor
    // for the other programs of a shared machine.
    double importCpu = 0;
    double plainCpu = 0;
    double memory = 0;                  // the import's peak growth
    std::vector<std::uintmax_t> sizes;  // of the raw files it wrote
    std::size_t recorded = 0;
    std::size_t logLines = 0;
    double Ratio() const { return import / plain; }
};

constexpr int kRounds = 3;

// The import of the card with deletion and a new import history, as the program runs it; the
// sizes of the raw files it wrote are those the plain program writes.
void ImportRound(const fs::path& card, const fs::path& program, Round& round) {
    CountingReport report;
    zep::SystemClock clock;
    zep::WorkerLock lock;
    zep::WorkerParams params;
    params.folder = card;
    params.deleteData = true;
    params.importOnce = true;
    std::vector<std::string> historyLines;
    const auto history = zep::ImportHistoryFile::Open(program, clock, historyLines);
    round.sizes.clear();
    round.memory = PeakGrowth([&] {
        round.import = Time(
            [&] {
                zep::MediaImportWorker(
                    params, zep::WorkerEnvironment{report, clock, lock, program,
                                                   zep::StopRequest::Never(), history.get()});
            },
            round.importCpu);
    });
    for (const auto& entry : fs::directory_iterator(program)) {
        if (entry.path().extension() == ".bin") {
            round.sizes.push_back(entry.file_size());
        }
    }
    round.recorded = history->ArchiveCount();
    round.logLines = report.lines.size();
}

Round Median(std::vector<Round> rounds) {
    std::sort(rounds.begin(), rounds.end(),
              [](const Round& a, const Round& b) { return a.Ratio() < b.Ratio(); });
    return rounds[rounds.size() / 2];
}

void Print(const char* what, double seconds, double megabytes, double copySeconds) {
    std::printf("%-34s %8.3f s %9.1f MB/s   %5.2f x copy time\n", what, seconds,
                megabytes / seconds, seconds / copySeconds);
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path work =
        (argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path()) / "zep-media-bench";
    fs::remove_all(work);
    const fs::path card = work / "card";
    const fs::path program = work / "program";
    const fs::path copies = work / "copies";
    fs::create_directories(card);
    fs::create_directories(program);
    fs::create_directories(copies);

    const int kVolumes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    constexpr int kRecords = 65535;
    zep::cardgen::CardDatabaseBuilder builder;
    for (int archive = 0; archive * kVolumes < kRecords; ++archive) {
        zep::cardgen::CardRecordSpec first;
        first.serial = std::to_string(300000 + archive);
        std::vector<zep::cardgen::Bytes> payloads;
        for (int v = 0; v < kVolumes && archive * kVolumes + v < kRecords; ++v) {
            payloads.push_back(zep::cardgen::PatternBytes(3200, archive * kVolumes + v));
        }
        builder.AddArchive(first, payloads);
    }
    const fs::path database = card / "TESSAL.DAT";
    zep::cardgen::WriteBytes(database, builder.Build());
    const double megabytes = static_cast<double>(fs::file_size(database)) / 1048576.0;
    std::printf("card database: %d records, %.1f MB, %d volumes per archive\n", kRecords, megabytes,
                kVolumes);

    const double copy = Time([&] { fs::copy_file(database, copies / "plain.dat"); });
    // What a program that reads the file whole would need at the least: room for the file.
    const double wholeMemory = PeakGrowth([&] {
        std::vector<char> whole(static_cast<std::size_t>(fs::file_size(database)));
        std::ifstream(database, std::ios::binary)
            .read(whole.data(), static_cast<std::streamsize>(whole.size()));
    });
    const double copyFlushed = Time([&] {
        fs::copy_file(database, copies / "flushed.dat");
        zep::FlushFileSystem(copies);
    });
    const double buffered = Time([&] { BufferedCopy(database, copies / "buffered.dat"); });
    const double bufferedFlushed = Time([&] {
        BufferedCopy(database, copies / "buffered-flushed.dat");
        zep::FlushFileSystem(copies);
    });
    fs::remove_all(copies);

    zep::CCardDatabase loaded;
    int loadResult = -1;
    const double load = Time([&] { loadResult = loaded.Load(database); });
    loaded.Release();

    zep::CardFolderContents contents;
    // With the marks of the import history, as the window shows them: every archive is keyed.
    const double preview =
        Time([&] { contents = zep::ReadCardFolder(card, zep::ArchiveKeys::Compute); });

    // The import and its floor in turns, on a fresh copy of the card, program folder and history
    // each round. Each step starts where the other does: on a flushed file system, right after
    // the 13,107 files it wrote in the round before are deleted (the first round, not counted,
    // leaves them). Files created just after many were deleted cost several times more than
    // later ones on some file systems, and neither step may be charged for that alone.
    const fs::path pristine = work / "pristine.dat";
    fs::copy_file(database, pristine);
    const fs::path plainFolder = work / "plain";
    const auto freshFolder = [&](const fs::path& folder) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        zep::FlushFileSystem(work);
    };
    std::vector<Round> rounds;
    double importMemory = 0;
    for (int round = 0; round <= kRounds; ++round) {
        Round result;
        fs::copy_file(pristine, database, fs::copy_options::overwrite_existing);
        freshFolder(program);
        ImportRound(card, program, result);
        freshFolder(plainFolder);
        result.plain = Time([&] { PlainWrites(result.sizes, plainFolder); }, result.plainCpu);
        // The first import of the process shows its peak memory; later ones reuse what it freed.
        importMemory = std::max(importMemory, result.memory);
        if (round > 0) {
            rounds.push_back(std::move(result));
        }
    }
    const Round median = Median(rounds);
    const double importSeconds = median.import;
    const double plain = median.plain;

    Print("plain copy", copy, megabytes, copy);
    Print("plain copy + flush", copyFlushed, megabytes, copy);
    Print("buffered copy", buffered, megabytes, copy);
    Print("buffered copy + flush", bufferedFlushed, megabytes, copy);
    Print("Load", load, megabytes, copy);
    Print("preview rows", preview, megabytes, copy);
    Print("import with deletion and history", importSeconds, megabytes, copy);
    Print("the same files, plain", plain, megabytes, copy);
    std::printf("import / (same files, plain), each round:");
    for (const Round& round : rounds) {
        std::printf(" %.2f", round.Ratio());
    }
    std::printf("; the median round above\n");
    std::printf("import / (copy + flush): %.2f x; import / (buffered copy + flush): %.2f x\n",
                importSeconds / copyFlushed, importSeconds / bufferedFlushed);
    std::printf("import / (same files, plain): %.2f\n", importSeconds / plain);
    std::printf("processor time, import / (same files, plain): %.3f s / %.3f s = %.2f\n",
                median.importCpu, median.plainCpu, median.importCpu / median.plainCpu);
    std::printf(
        "load result %d, preview rows %zu (%s), outputs %zu, card database %s, "
        "log lines %zu\n",
        loadResult, contents.rows.size(), zep::PreviewSummary(contents).c_str(),
        median.sizes.size(), fs::exists(database) ? "kept" : "deleted", median.logLines);
    std::printf(
        "memory: import peak +%.1f MB for a %.1f MB database; reading it whole +%.1f MB "
        "(ratio %.3f)\n",
        importMemory, megabytes, wholeMemory, importMemory / wholeMemory);
    std::printf("archives in the history %zu\n", median.recorded);
    std::printf(
        "goals: import within 1.3x of the same files written plainly: %s; preview rows "
        "within 1 s: %s\n",
        importSeconds <= 1.3 * plain ? "met" : "missed", preview <= 1.0 ? "met" : "missed");
    fs::remove_all(work);
    return 0;
}
