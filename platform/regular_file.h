#pragma once
// Raw files are taken from the program folder only when they are plain files. A link is never
// followed (it may lead anywhere, to another user's secrets included) and a FIFO or device is
// never opened in a way that blocks: what a name is, is asked of the opened file, not of the
// name beforehand.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

namespace zep {

enum class FileKind { Regular, Folder, Other, Missing };

struct FileProbe {
    FileKind kind = FileKind::Missing;
    // For a regular file: what tells one state of its content from the next.
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;

    bool operator==(const FileProbe&) const = default;
};

// Opens the name without following a link and without blocking, and tells from the opened
// file what it is. A link, FIFO, device or socket is Other.
FileProbe ProbeFile(const std::filesystem::path& path);

// Moves a regular file to the first free of nameFor(0), nameFor(1) ... as MoveNumbered does
// (a hard link within a file system; across file systems a copy that is flushed and published
// before the source goes). Only the file found under the name at the start is moved: a link
// or special file is refused, and nothing is published or removed when the name meanwhile
// leads to another file. nullopt leaves the source where it was.
std::optional<std::filesystem::path> MoveRegularFileNumbered(
    const std::filesystem::path& source,
    const std::function<std::filesystem::path(int attempt)>& nameFor, int maxAttempts = 100000);

}  // namespace zep
