#pragma once
// The dispatch values on Windows: section S is the registry key "<base>\S" (below the current
// user's "Software\Kestrom"), key K its string value K of at most 260 characters. A value of
// another type or longer than that reads as missing.
#include <string>

#include "platform/dispatch_values.h"
#include "platform/win32/windows_api.h"

namespace zep::win32 {

inline constexpr const wchar_t* kDispatchBaseKey = L"Software\\Kestrom";

DispatchValues DispatchValuesUnder(HKEY root, std::wstring baseKey);

}  // namespace zep::win32
