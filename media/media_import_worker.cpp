// The card import: the card folder's files copied or assembled into raw files and, with deletion
// on, only what was imported removed from the card, once its raw file is on disk.
#include "media/media_import_worker.h"

#include <vector>

#include "core/path_text.h"
#include "media/card_database_import.h"
#include "media/card_file_name.h"
#include "media/media_import_context.h"
#include "media/whole_file_copy.h"
#include "platform/hidden_entry.h"
#include "platform/regular_file.h"

namespace zep {

namespace {

bool EndsWith(const std::string& name, std::string_view tail) {
    return name.size() >= tail.size() &&
           name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
}

// The plain files of the card folder, in listing order. Folders, hidden entries, links
// (a link may lead to another user's secrets, or to another card file, which would then be
// imported twice) and anything else that is not a regular file (a pipe would block the read)
// are passed over; what an entry is, is asked of the opened file, never followed. The listing
// is taken before anything is deleted from the folder.
std::vector<CardFile> ListCardFiles(const std::filesystem::path& folder) {
    std::vector<CardFile> files;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::string name = PathToUtf8(it->path().filename());
        if (name.empty() || IsHiddenEntry(it->path())) {
            continue;
        }
        const FileProbe probe = ProbeFile(it->path());
        if (probe.kind != FileKind::Regular) {
            continue;
        }
        files.push_back({it->path(), std::move(name), probe.size});
    }
    return files;
}

}  // namespace

int MediaImportWorker(const WorkerParams& params, const WorkerEnvironment& env) {
    WorkerLockHold hold(env.lock);
    OutputNumbering numbering;
    const MediaImportContext context{params, env, numbering};
    for (const CardFile& file : ListCardFiles(params.folder)) {
        if (context.SelectionInForce() &&
            !MatchesSelection(params.selection, CardFileKey(file.name), kFileKeyMask)) {
            continue;
        }
        env.report.LogUpper("Обработка файла '" + CardFileNameForLog(file.name) + "'");
        if (EndsWith(file.name, ".zep")) {
            CopyWholeFile(file, ".bia", context);
        } else if (EndsWith(file.name, ".zvo")) {
            CopyWholeFile(file, ".bil", context);
        } else {
            ImportCardDatabase(file, context);
        }
    }
    env.report.LogUpper(kImportDoneLine);
    return 0;
}

}  // namespace zep
