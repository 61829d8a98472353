#pragma once
// Raw files are taken from the program folder only when they are plain files. A link is never
// followed (it may lead anywhere, to another user's secrets included) and a FIFO or device is
// never opened in a way that blocks: what a name is, is asked of the opened file, not of the
// name beforehand.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>

#include "core/archive_key.h"
#include "platform/system_result.h"

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

// A plain file opened for reading the way ProbeFile opens it: a link is not followed and a
// FIFO or device is refused, so what is read is the file that was judged, not whatever its name
// leads to a moment later. Reads name their offset; the file is read in pieces, never whole.
class OpenedRegularFile {
public:
    // nullopt when the name is missing, cannot be opened, or is not a plain file.
    static std::optional<OpenedRegularFile> Open(const std::filesystem::path& path);
    // As Open, but a link that leads to a plain file is followed: a user may keep a
    // configuration file elsewhere and link it. What a name leads to is looked at before it is
    // opened, so a FIFO or device behind a link is never opened. When nothing is opened, found
    // says why: Missing; Folder or Other (a FIFO, device or socket, a link to one, a link
    // loop); Regular when the name is, or may be, a plain file that could not be looked at or
    // opened (permissions, a disk error).
    static std::optional<OpenedRegularFile> OpenFollowingLinks(const std::filesystem::path& path,
                                                               FileKind& found);

    OpenedRegularFile(OpenedRegularFile&& other) noexcept;
    OpenedRegularFile& operator=(OpenedRegularFile&& other) noexcept;
    OpenedRegularFile(const OpenedRegularFile&) = delete;
    OpenedRegularFile& operator=(const OpenedRegularFile&) = delete;
    ~OpenedRegularFile();

    // The size of the file when it was opened.
    std::uint64_t Size() const { return m_size; }
    // Fills as much of into as the file holds from offset on: fewer bytes only at its end.
    // nullopt when reading fails (a failing or pulled card, a disk error); a failed read is
    // never taken for the end of the file.
    std::optional<std::size_t> ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) const;

private:
    static constexpr std::intptr_t kNoHandle = -1;  // no file descriptor or handle is -1
    OpenedRegularFile(std::intptr_t handle, std::uint64_t size, std::filesystem::path path);
    // The backend's close of a descriptor or handle.
    static void ReleaseHandle(std::intptr_t handle);

    std::intptr_t m_handle;
    std::uint64_t m_size;
    std::filesystem::path m_path;  // for the file-call gate only
};

class PendingFile;

// Where copying an opened file into a pending output (or handing it on piece by piece) ended.
enum class CopyResult { Copied, ReadFailed, WriteFailed };

// Hands the whole opened file to take piece by piece, in order, so a large file costs one piece
// of memory, not its size. take returns false to stop: WriteFailed.
CopyResult ForEachPiece(const OpenedRegularFile& in,
                        const std::function<bool(std::span<const std::uint8_t>)>& take);

// The archive key of the plain file at path, read whole into the builder (which may hold a raw
// file's name already); nullopt when it is no plain file or cannot be read.
std::optional<ArchiveKey> ArchiveKeyOfFile(const std::filesystem::path& path,
                                           ArchiveKeyBuilder key = {});

// Copies the whole opened file to the end of output piece by piece, so a large file costs one
// piece of memory, not its size.
CopyResult CopyInto(const OpenedRegularFile& in, PendingFile& output);

// Moves a regular file to the first free of nameFor(0), nameFor(1) ... as MoveNumbered does
// (a hard link within a file system; across file systems a copy that is flushed and published
// before the source goes). Only the file found under the name at the start is moved: a link
// or special file is refused, and nothing is published or removed when the name meanwhile
// leads to another file. A failure leaves the source where it was. onDisk, if given, is called
// once the new name is on disk and before the old one goes, so that a crash in between can be
// told from a move never made.
SystemResult<std::filesystem::path> MoveRegularFileNumbered(
    const std::filesystem::path& source,
    const std::function<std::filesystem::path(int attempt)>& nameFor,
    const std::function<void(const std::filesystem::path&)>& onDisk = {}, int maxAttempts = 100000);

}  // namespace zep
