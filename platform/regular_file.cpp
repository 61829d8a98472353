// A plain file opened once for reading: what does not depend on the system.
#include <utility>
#include <vector>

#include "platform/publish_file.h"
#include "platform/regular_file.h"

namespace zep {

OpenedRegularFile::OpenedRegularFile(std::intptr_t handle, std::uint64_t size,
                                     std::filesystem::path path)
    : m_handle(handle), m_size(size), m_path(std::move(path)) {}

OpenedRegularFile::OpenedRegularFile(OpenedRegularFile&& other) noexcept
    : m_handle(std::exchange(other.m_handle, kNoHandle)),
      m_size(other.m_size),
      m_path(std::move(other.m_path)) {}

OpenedRegularFile& OpenedRegularFile::operator=(OpenedRegularFile&& other) noexcept {
    if (this != &other) {
        if (m_handle != kNoHandle) {
            ReleaseHandle(m_handle);
        }
        m_handle = std::exchange(other.m_handle, kNoHandle);
        m_size = other.m_size;
        m_path = std::move(other.m_path);
    }
    return *this;
}

OpenedRegularFile::~OpenedRegularFile() {
    if (m_handle != kNoHandle) {
        ReleaseHandle(m_handle);
    }
}

CopyResult ForEachPiece(const OpenedRegularFile& in,
                        const std::function<bool(std::span<const std::uint8_t>)>& take) {
    std::vector<std::uint8_t> piece(1 << 16);
    for (std::uint64_t offset = 0;;) {
        const auto count = in.ReadAt(offset, piece);
        if (!count) {
            return CopyResult::ReadFailed;
        }
        if (*count == 0) {
            return CopyResult::Copied;
        }
        if (!take(std::span(piece.data(), *count))) {
            return CopyResult::WriteFailed;
        }
        offset += *count;
    }
}

std::optional<ArchiveKey> ArchiveKeyOfFile(const std::filesystem::path& path,
                                           ArchiveKeyBuilder key) {
    const auto in = OpenedRegularFile::Open(path);
    if (!in || ForEachPiece(*in, [&key](std::span<const std::uint8_t> piece) {
                   key.Add(piece);
                   return true;
               }) != CopyResult::Copied) {
        return std::nullopt;
    }
    return key.Finish();
}

CopyResult CopyInto(const OpenedRegularFile& in, PendingFile& output) {
    return ForEachPiece(in, [&output](std::span<const std::uint8_t> piece) {
        return output.Write(piece) == piece.size();
    });
}

}  // namespace zep
