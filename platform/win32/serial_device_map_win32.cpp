// The COM ports the system has registered: the REG_SZ values "COM<n>" under
// HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, at most 255, by ascending number (equal numbers in the
// order read); COM<n> itself is opened as "\\.\COMn".
#include <cwctype>
#include <string>
#include <vector>

#include "platform/serial_device_map.h"
#include "platform/win32/registry.h"
#include "platform/win32/windows_api.h"

namespace zep {

namespace {

constexpr std::size_t kMaxPorts = 255;
constexpr DWORD kValueBufferBytes = 260;

// n of data "COM<n>...", or 0 when the data do not begin with COM and a digit.
int PortNumber(const std::wstring& data) {
    if (data.size() < 4 || data.compare(0, 3, L"COM") != 0 || !std::iswdigit(data[3])) {
        return 0;
    }
    long long number = 0;
    for (std::size_t i = 3; i < data.size() && std::iswdigit(data[i]) && number <= 0xFFFF; ++i) {
        number = number * 10 + (data[i] - L'0');
    }
    return number <= 0xFFFF ? static_cast<int>(number) : 0;
}

}  // namespace

std::vector<SerialDevice> ListSerialDevices() {
    std::vector<SerialDevice> devices;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return devices;
    }
    for (DWORD index = 0; devices.size() < kMaxPorts; ++index) {
        wchar_t name[kValueBufferBytes];
        DWORD nameLength = kValueBufferBytes;
        BYTE data[kValueBufferBytes];
        DWORD dataBytes = sizeof data;
        DWORD type = 0;
        // The first value that fails (none left, or one that does not fit) ends the list.
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &dataBytes) !=
            ERROR_SUCCESS) {
            break;
        }
        const auto text = win32::RegistryStringData(type, data, dataBytes);
        const int number = text ? PortNumber(*text) : 0;
        if (number == 0) {
            continue;
        }
        SerialDevice device{number, L"\\\\.\\COM" + std::to_wstring(number)};
        auto at = devices.end();
        while (at != devices.begin() && std::prev(at)->number > number) {
            --at;
        }
        devices.insert(at, std::move(device));
    }
    RegCloseKey(key);
    return devices;
}

std::optional<std::filesystem::path> FindSerialDevice(int number) {
    if (number <= 0) {
        return std::nullopt;
    }
    return std::filesystem::path(L"\\\\.\\COM" + std::to_wstring(number));
}

}  // namespace zep
