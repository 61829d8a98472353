#pragma once
// The outputs of one job published together: each is written and finished on its own, then all
// are flushed at once (one flush instead of one per file), published one by one under the names
// the caller chooses, and the folder's names are flushed once at the end. Only when FlushNames
// has succeeded are the published outputs on disk, content and names, so only then may their
// source give anything up.
#include <cstddef>
#include <filesystem>
#include <vector>

#include "platform/publish_file.h"

namespace zep {

class PublishBatch {
public:
    // folder: where the files of the batch were created and are published.
    explicit PublishBatch(std::filesystem::path folder) : m_folder(std::move(folder)) {}

    // Takes a finished file (see PendingFile::Finish); returns its place in the batch.
    std::size_t Add(PendingFile file);
    std::size_t Size() const { return m_files.size(); }
    PendingFile& File(std::size_t i) { return m_files[i]; }

    // Flushes the content of every file added so far. False when that is not assured; each
    // file is then flushed on its own as it is published, so publishing stays safe.
    bool FlushContents();
    // Flushes the names published into (and removed from) the folder. Fails when they may not
    // be on disk.
    SystemDone FlushNames() const { return FlushFolder(m_folder); }

private:
    std::filesystem::path m_folder;
    std::vector<PendingFile> m_files;
};

}  // namespace zep
