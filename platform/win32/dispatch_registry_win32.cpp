// The dispatch values read from the registry keys of the dispatch system and of Zuvo.
#include "core/utf8_text.h"
#include "platform/win32/dispatch_registry.h"
#include "platform/win32/registry.h"

namespace zep {

namespace win32 {

namespace {

// The values hold folder and file paths, read by the original into 260-byte buffers.
constexpr std::size_t kMaxValueChars = 260;

}  // namespace

DispatchValues DispatchValuesUnder(HKEY root, std::wstring baseKey) {
    return DispatchValues(
        [root, baseKey = std::move(baseKey)](std::string_view section,
                                             std::string_view key) -> std::optional<std::string> {
            const std::wstring sectionKey = baseKey + L"\\" + Widen(section);
            const auto text = ReadRegistryText(root, sectionKey, Widen(key), kMaxValueChars);
            if (!text) {
                return std::nullopt;
            }
            return Narrow(*text);
        });
}

}  // namespace win32

DispatchValues DispatchValues::Installed() {
    return win32::DispatchValuesUnder(HKEY_CURRENT_USER, win32::kDispatchBaseKey);
}

}  // namespace zep
