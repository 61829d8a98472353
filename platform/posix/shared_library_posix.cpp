// Driver libraries through dlopen and dlsym, with a look at who defines an export and at the
// segment it lies in.
#include <dlfcn.h>
#include <link.h>

#include <cstdint>
#include <cstring>

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

namespace {

struct CodeQuery {
    const link_map* library = nullptr;
    std::uintptr_t address = 0;
    bool code = false;
};

// Looks through the segments of the library the query names for the one holding the address.
int FindCodeSegment(dl_phdr_info* info, std::size_t, void* data) {
    auto& query = *static_cast<CodeQuery*>(data);
    if (info->dlpi_addr != query.library->l_addr || info->dlpi_name == nullptr ||
        std::strcmp(info->dlpi_name, query.library->l_name) != 0) {
        return 0;
    }
    for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        const std::uintptr_t start = info->dlpi_addr + segment.p_vaddr;
        if (segment.p_type == PT_LOAD && query.address >= start &&
            query.address - start < segment.p_memsz) {
            query.code = (segment.p_flags & PF_X) != 0;
        }
    }
    return 1;
}

}  // namespace

bool SharedLibrary::HoldsCodeAt(const void* address) const {
    link_map* own = nullptr;
    if (m_handle == nullptr || dlinfo(m_handle, RTLD_DI_LINKMAP, &own) != 0 || own == nullptr) {
        return false;
    }
    CodeQuery query{own, reinterpret_cast<std::uintptr_t>(address), false};
    dl_iterate_phdr(FindCodeSegment, &query);
    return query.code;
}

std::string_view SharedLibrarySuffix() {
    return ".so";
}

}  // namespace zep
