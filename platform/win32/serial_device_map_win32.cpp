// The COM ports of the registry's serial device map, read value by value as they come.
#include <cwctype>
#include <iterator>

#include "platform/win32/registry.h"
#include "platform/win32/serial_comm_registry.h"

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

namespace win32 {

std::vector<SerialDevice> SerialDevicesUnder(HKEY root, const std::wstring& keyPath) {
    std::vector<SerialDevice> devices;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
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
        const auto text = RegistryStringData(type, data, dataBytes);
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

}  // namespace win32

std::vector<SerialDevice> ListSerialDevices() {
    return win32::SerialDevicesUnder(HKEY_LOCAL_MACHINE, win32::kSerialCommKey);
}

std::optional<std::filesystem::path> FindSerialDevice(int number) {
    if (number <= 0) {
        return std::nullopt;
    }
    return std::filesystem::path(L"\\\\.\\COM" + std::to_wstring(number));
}

}  // namespace zep
