// Driver libraries through dlopen and dlsym, with a look at who defines an export.
#include <dlfcn.h>
#include <link.h>

#include "platform/shared_library.h"

namespace zep {

std::optional<SharedLibrary> SharedLibrary::Open(const std::filesystem::path& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        return std::nullopt;
    }
    return SharedLibrary(handle);
}

void SharedLibrary::Close() {
    if (m_handle != nullptr) {
        dlclose(m_handle);
        m_handle = nullptr;
    }
}

void* SharedLibrary::Find(const char* name) const {
    if (m_handle == nullptr || name == nullptr || *name == '\0') {
        return nullptr;
    }
    void* address = dlsym(m_handle, name);
    if (address == nullptr) {
        return nullptr;
    }
    // dlsym also searches the libraries this one depends on; only its own exports count.
    link_map* own = nullptr;
    if (dlinfo(m_handle, RTLD_DI_LINKMAP, &own) != 0 || own == nullptr) {
        return nullptr;
    }
    Dl_info info{};
    link_map* definer = nullptr;
    if (dladdr1(address, &info, reinterpret_cast<void**>(&definer), RTLD_DL_LINKMAP) == 0 ||
        definer != own) {
        return nullptr;
    }
    return address;
}

std::string_view SharedLibrarySuffix() {
    return ".so";
}

}  // namespace zep
