// An append-only file: what does not depend on the system.
#include "platform/append_file.h"

#include <utility>

namespace zep {

AppendFile::AppendFile(std::intptr_t handle, std::filesystem::path path)
    : m_handle(handle), m_path(std::move(path)) {}

AppendFile::AppendFile(AppendFile&& other) noexcept
    : m_handle(std::exchange(other.m_handle, kNoHandle)), m_path(std::move(other.m_path)) {}

AppendFile& AppendFile::operator=(AppendFile&& other) noexcept {
    if (this != &other) {
        if (m_handle != kNoHandle) {
            ReleaseHandle(m_handle);
        }
        m_handle = std::exchange(other.m_handle, kNoHandle);
        m_path = std::move(other.m_path);
    }
    return *this;
}

AppendFile::~AppendFile() {
    if (m_handle != kNoHandle) {
        ReleaseHandle(m_handle);
    }
}

}  // namespace zep
