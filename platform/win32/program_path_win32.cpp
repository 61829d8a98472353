// The executable's path by GetModuleFileNameW, so a folder of any script or length is found.
#include <string>

#include "platform/program_path.h"
#include "platform/win32/windows_api.h"

namespace zep {

std::filesystem::path RunningExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    while (true) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::filesystem::current_path() / L"zepimport.exe";
        }
        // A full buffer may hold a cut name: ask again with more room.
        if (length < buffer.size()) {
            buffer.resize(length);
            return std::filesystem::path(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace zep
