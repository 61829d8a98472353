// Speed of a full card: a card database of 65,535 records (over 200 MB) in archives of five
// volumes (or as many as asked for), timed through loading, the preview rows and the import
// with deletion and the import history, each next to a plain copy of the same file measured in
// the same run. The import writes one raw file per archive, so the number of volumes per archive
// decides how many files it creates: its floor is a plain program that writes the same files
// (create, write, rename each, one flush of the file system at the end), also measured in the
// same run. The import's peak memory is set beside that of reading the file whole.
//   media_bench [work folder] [volumes per archive]   (default: the system's temporary folder, 5)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

    CountingReport report;
    zep::SystemClock clock;
    zep::WorkerLock lock;
    zep::WorkerParams params;
    params.folder = card;
    params.deleteData = true;
    params.importOnce = true;
    std::vector<std::string> historyLines;
    const auto history = zep::ImportHistoryFile::Open(program, clock, historyLines);
    double importSeconds = 0;
    const double importMemory = PeakGrowth([&] {
        importSeconds = Time([&] {
            zep::MediaImportWorker(
                params, zep::WorkerEnvironment{report, clock, lock, program,
                                               zep::StopRequest::Never(), history.get()});
        });
    });
    std::vector<std::uintmax_t> sizes;
    for (const auto& entry : fs::directory_iterator(program)) {
        if (entry.path().extension() == ".bin") {
            sizes.push_back(entry.file_size());
        }
    }
    const std::size_t outputs = sizes.size();
    fs::create_directories(work / "plain");
    const double plain = Time([&] { PlainWrites(sizes, work / "plain"); });

    Print("plain copy", copy, megabytes, copy);
    Print("plain copy + flush", copyFlushed, megabytes, copy);
    Print("buffered copy", buffered, megabytes, copy);
    Print("buffered copy + flush", bufferedFlushed, megabytes, copy);
    Print("Load", load, megabytes, copy);
    Print("preview rows", preview, megabytes, copy);
    Print("import with deletion and history", importSeconds, megabytes, copy);
    Print("the same files, plain", plain, megabytes, copy);
    std::printf("import / (copy + flush): %.2f x; import / (buffered copy + flush): %.2f x\n",
                importSeconds / copyFlushed, importSeconds / bufferedFlushed);
    std::printf("import / (same files, plain): %.2f\n", importSeconds / plain);
    std::printf(
        "load result %d, preview rows %zu (%s), outputs %zu, card database %s, "
        "log lines %zu\n",
        loadResult, contents.rows.size(), zep::PreviewSummary(contents).c_str(), outputs,
        fs::exists(database) ? "kept" : "deleted", report.lines.size());
    std::printf(
        "memory: import peak +%.1f MB for a %.1f MB database; reading it whole +%.1f MB "
        "(ratio %.3f)\n",
        importMemory, megabytes, wholeMemory, importMemory / wholeMemory);
    std::printf("archives in the history %zu\n", history->ArchiveCount());
    std::printf(
        "goals: import within 1.3x of the same files written plainly: %s; preview rows "
        "within 1 s: %s\n",
        importSeconds <= 1.3 * plain ? "met" : "missed", preview <= 1.0 ? "met" : "missed");
    fs::remove_all(work);
    return 0;
}
