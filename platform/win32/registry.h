#pragma once
// Reading and writing string values of the registry, with the checks every reader needs: a
// value of another type, or longer than the reader takes, counts as missing.
#include <cstddef>
#include <optional>
#include <string>

#include "platform/win32/windows_api.h"

namespace zep::win32 {

// The text of a plain string value (REG_SZ) of at most maxChars characters including the
// terminating zero; nullopt when the key or value is missing, of another type or too long.
std::optional<std::wstring> ReadRegistryText(HKEY root, const std::wstring& key,
                                             const std::wstring& value, std::size_t maxChars);

// Stores a REG_SZ value, creating the key when asked to. Both return a Windows error code,
// ERROR_SUCCESS when done.
LONG WriteRegistryText(HKEY root, const std::wstring& key, const std::wstring& value,
                       const std::wstring& text, bool createKey);
LONG DeleteRegistryValue(HKEY root, const std::wstring& key, const std::wstring& value);

// The data of a REG_SZ value as read, with the terminator (if any) removed; nullopt for data
// that cannot be a string.
std::optional<std::wstring> RegistryStringData(DWORD type, const BYTE* data, DWORD bytes);

}  // namespace zep::win32
