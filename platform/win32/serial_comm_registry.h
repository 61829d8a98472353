#pragma once
// The COM ports the system has registered: the REG_SZ values of HKLM\HARDWARE\DEVICEMAP\SERIALCOMM
// whose data read "COM<n>...", at most 255, by ascending number (equal numbers in the order read).
#include <string>
#include <vector>

#include "platform/serial_device_map.h"
#include "platform/win32/windows_api.h"

namespace zep::win32 {

inline constexpr const wchar_t* kSerialCommKey = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";

// The ports listed under any key of that form; each opened as "\\.\COMn".
std::vector<SerialDevice> SerialDevicesUnder(HKEY root, const std::wstring& key);

}  // namespace zep::win32
