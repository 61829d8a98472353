// zep-kill-window: after a kill, tells whether it fell into one of the two windows in which a
// crash may bring an archive twice (docs/history.md), and prints two numbers:
//   - raw files of the program folder whose archive the import history does not know: the kill
//     fell between a raw file's publication and its history entry;
//   - raw files whose serial number has an import file already while the history holds no
//     published output for them: the kill fell between an import file's publication and its
//     record, or the raw file was converted before (its conversion goes on or starts over).
// Serial numbers tell archives apart in the kill proof, each archive has one of its own.
//   zep-kill-window PROGRAM_FOLDER IMPORT_FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "core/archive_key.h"
#include "core/history_record.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct History {
    std::set<zep::ArchiveKey> imported;
    std::set<zep::ArchiveKey> converting;  // raw files with a published output on record
};

History Load(const fs::path& file) {
    History history;
    const Bytes bytes = ReadAll(file);
    for (std::size_t at = zep::kHistoryHeaderSize; at + zep::kHistoryEntrySize <= bytes.size();
         at += zep::kHistoryEntrySize) {
        const auto entry =
            zep::DecodeHistoryEntry(std::span(bytes).subspan(at, zep::kHistoryEntrySize));
        if (entry && entry->kind == zep::HistoryKind::Imported) {
            history.imported.insert(entry->key);
        } else if (entry && entry->kind == zep::HistoryKind::OutputPublished) {
            history.converting.insert(entry->key);
        }
    }
    return history;
}

// The serial number of a raw file: the "Serial=" line of a meter archive's header, title
// string 4 of an assembled archive.
std::string SerialOf(const fs::path& path, const Bytes& bytes) {
    const std::string text(bytes.begin(), bytes.end());
    if (path.extension() == ".bia") {
        const auto at = text.find("Serial=");
        return at == std::string::npos ? "" : text.substr(at + 7, text.find('\n', at) - at - 7);
    }
    std::size_t at = 2;
    for (int skip = 0; skip < 4 && at < text.size(); ++skip) {
        at = text.find('\0', at) + 1;
    }
    return at < text.size() ? std::string(text.c_str() + at) : "";
}

std::set<std::string> ImportedSerials(const fs::path& folder) {
    std::set<std::string> serials;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".imp") {
            continue;
        }
        const Bytes bytes = ReadAll(entry.path());
        const std::string text(bytes.begin(), bytes.end());
        const auto at = text.find("\r\nSerial=");
        if (at != std::string::npos) {
            serials.insert(text.substr(at + 9, text.find('\r', at + 9) - at - 9));
        }
    }
    return serials;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zep-kill-window PROGRAM_FOLDER IMPORT_FOLDER\n");
        return 2;
    }
    const fs::path folder = argv[1];
    const History history = Load(folder / "zepimport.history");
    const std::set<std::string> serials = ImportedSerials(argv[2]);
    int unrecorded = 0;
    int unrecordedOutputs = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const fs::path& path = entry.path();
        if (!entry.is_regular_file() ||
            (path.extension() != ".bia" && path.extension() != ".bin")) {
            continue;
        }
        const Bytes bytes = ReadAll(path);
        if (history.imported.count(zep::ArchiveKeyOf(bytes)) == 0) {
            ++unrecorded;
        }
        zep::ArchiveKeyBuilder raw(path.filename().string());
        raw.Add(bytes);
        if (serials.count(SerialOf(path, bytes)) != 0 &&
            history.converting.count(raw.Finish()) == 0) {
            ++unrecordedOutputs;
        }
    }
    std::printf("%d %d\n", unrecorded, unrecordedOutputs);
    return 0;
}
