// The registry carriers of the Windows backend: dispatch values, autostart and the serial
// device map, each on a scratch key of the current user, never on the real ones.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "platform/win32/dispatch_registry.h"
#include "platform/win32/run_key_autostart.h"
#include "platform/win32/serial_comm_registry.h"
#include "platform/win32/windows_api.h"

namespace zep::test {
namespace {

std::atomic<int> g_keyCounter{0};

// A key of its own below HKCU\Software\ZepImportTests, removed with its content afterwards.
class ScratchKey {
public:
    ScratchKey()
        : m_path(L"Software\\ZepImportTests\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(g_keyCounter.fetch_add(1))) {
        Create(m_path);
    }
    ~ScratchKey() {
        RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str()),
            RegDeleteKeyW(HKEY_CURRENT_USER, m_path.c_str());
    }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    const std::wstring& path() const { return m_path; }
    std::wstring Sub(const std::wstring& sub) const {
        return sub.empty() ? m_path : m_path + L"\\" + sub;
    }

    void Put(const std::wstring& sub, const std::wstring& name, DWORD type, const void* data,
             DWORD bytes) const {
        const HKEY key = Create(Sub(sub));
        RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes);
        RegCloseKey(key);
    }
    void PutText(const std::wstring& sub, const std::wstring& name, const std::wstring& text,
                 DWORD type = REG_SZ) const {
        Put(sub, name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    // The raw data of a value, or an empty text with type 0 when it is missing.
    std::pair<DWORD, std::wstring> Get(const std::wstring& name) const {
        wchar_t data[1024] = {};
        DWORD bytes = sizeof data;
        DWORD type = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, m_path.c_str(), name.c_str(), RRF_RT_ANY, &type, data,
                         &bytes) != ERROR_SUCCESS) {
            return {0, L""};
        }
        return {type, std::wstring(data, bytes / sizeof(wchar_t))};
    }

private:
    static HKEY Create(const std::wstring& path) {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr);
        return key;
    }
    std::wstring m_path;
};

TEST(DispatchRegistry, ReadsStringValuesOfTheSectionKeys) {
    ScratchKey base;
    base.PutText(L"Velmora", L"Drivers", L"C:\\Velmora\\Drivers");
    base.PutText(L"Velmora", L"Import", L"C:\\Импорт");
    base.PutText(L"Zuvo", L"InstallTo", L"D:\\Zuvo");
    const auto values = win32::DispatchValuesUnder(HKEY_CURRENT_USER, base.path());
    EXPECT_EQ(values.GetValue("Velmora", "Drivers"), "C:\\Velmora\\Drivers");
    EXPECT_EQ(values.GetValue("Velmora", "Import"), "C:\\Импорт");  // UTF-8 for the neutral side
    EXPECT_EQ(values.GetValue("Zuvo", "InstallTo"), "D:\\Zuvo");
    EXPECT_EQ(values.GetValue("Velmora", "Path"), std::nullopt);
    EXPECT_EQ(values.GetValue("Missing", "Drivers"), std::nullopt);
}

TEST(DispatchRegistry, ValuesOfAnotherTypeOrTooLongReadAsMissing) {
    ScratchKey base;
    const DWORD number = 5;
    base.Put(L"Velmora", L"Drivers", REG_DWORD, &number, sizeof number);
    base.PutText(L"Velmora", L"Import", L"%TEMP%\\import", REG_EXPAND_SZ);
    base.PutText(L"Velmora", L"Path", std::wstring(260, L'x'));    // 261 with the terminator
    base.PutText(L"Zuvo", L"InstallTo", std::wstring(259, L'y'));  // fits exactly
    const auto values = win32::DispatchValuesUnder(HKEY_CURRENT_USER, base.path());
    EXPECT_EQ(values.GetValue("Velmora", "Drivers"), std::nullopt);
    EXPECT_EQ(values.GetValue("Velmora", "Import"), std::nullopt);
    EXPECT_EQ(values.GetValue("Velmora", "Path"), std::nullopt);
    EXPECT_EQ(values.GetValue("Zuvo", "InstallTo"), std::string(259, 'y'));
}

TEST(RunKeyAutostart, SetQueryAndRemoveTheQuotedProgramPath) {
    ScratchKey run;
    win32::RunKeyAutostart autostart(HKEY_CURRENT_USER, run.path(), L"ZEPImport");
    const std::filesystem::path program = L"C:\\Tools\\prog.exe";
    EXPECT_FALSE(autostart.Query(program));
    ASSERT_TRUE(autostart.Set(program, true));
    // A string of 19 characters and its terminator.
    EXPECT_EQ(run.Get(L"ZEPImport"), (std::pair<DWORD, std::wstring>{
                                         REG_SZ, std::wstring(L"\"C:\\Tools\\prog.exe\"\0", 20)}));
    EXPECT_TRUE(autostart.Query(program));
    EXPECT_TRUE(autostart.Query(L"c:\\TOOLS\\PROG.EXE"));
    EXPECT_FALSE(autostart.Query(L"C:\\Tools\\other.exe"));
    ASSERT_TRUE(autostart.Set(program, false));
    EXPECT_EQ(run.Get(L"ZEPImport").first, 0u);
    EXPECT_FALSE(autostart.Query(program));
    EXPECT_TRUE(autostart.Set(program, false));  // nothing to remove is no failure
}

TEST(RunKeyAutostart, OtherFormsOfTheValueCountAsOff) {
    ScratchKey run;
    win32::RunKeyAutostart autostart(HKEY_CURRENT_USER, run.path(), L"ZEPImport");
    const std::filesystem::path program = L"C:\\Tools\\prog.exe";
    const struct {
        std::wstring text;
        DWORD type;
    } kCases[] = {
        {L"C:\\Tools\\prog.exe", REG_SZ},                              // without quotes
        {L"\"C:\\Tools\\prog.exe\"", REG_EXPAND_SZ},                   // another type
        {L"\"C:\\Tools\\" + std::wstring(300, L'p') + L"\"", REG_SZ},  // longer than 260
    };
    for (const auto& value : kCases) {
        run.PutText(L"", L"ZEPImport", value.text, value.type);
        EXPECT_FALSE(autostart.Query(program)) << value.text.size();
    }
}

TEST(RunKeyAutostart, AMissingRunKeyIsNeitherReadNorCreated) {
    ScratchKey parent;
    win32::RunKeyAutostart autostart(HKEY_CURRENT_USER, parent.Sub(L"Run"), L"ZEPImport");
    EXPECT_FALSE(autostart.Set(L"C:\\Tools\\prog.exe", true));
    EXPECT_FALSE(autostart.Query(L"C:\\Tools\\prog.exe"));
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, parent.Sub(L"Run").c_str(), 0, KEY_READ, &key),
              ERROR_SUCCESS);
}

TEST(SerialCommRegistry, PortsByNumberFromPlainStringsOnly) {
    ScratchKey map;
    map.PutText(L"", L"\\Device\\Serial9", L"COM10");
    map.PutText(L"", L"\\Device\\Serial2", L"COM3x");
    map.PutText(L"", L"\\Device\\Serial0", L"COM1");
    map.PutText(L"", L"\\Device\\Serial5", L"COM5", REG_EXPAND_SZ);
    map.PutText(L"", L"\\Device\\SerialA", L"COMA");
    map.PutText(L"", L"\\Device\\Parallel", L"LPT1");
    std::vector<int> numbers;
    for (const auto& device : win32::SerialDevicesUnder(HKEY_CURRENT_USER, map.path())) {
        numbers.push_back(device.number);
        EXPECT_EQ(device.device, L"\\\\.\\COM" + std::to_wstring(device.number));
    }
    EXPECT_EQ(numbers, (std::vector<int>{1, 3, 10}));
}

TEST(SerialCommRegistry, AtMost255PortsAndNoneWithoutTheKey) {
    ScratchKey map;
    for (int i = 300; i > 0; --i) {
        map.PutText(L"", L"port" + std::to_wstring(i), L"COM" + std::to_wstring(i));
    }
    const auto devices = win32::SerialDevicesUnder(HKEY_CURRENT_USER, map.path());
    ASSERT_EQ(devices.size(), 255u);
    for (std::size_t i = 1; i < devices.size(); ++i) {
        EXPECT_LE(devices[i - 1].number, devices[i].number);
    }
    EXPECT_TRUE(win32::SerialDevicesUnder(HKEY_CURRENT_USER, map.Sub(L"missing")).empty());
}

}  // namespace
}  // namespace zep::test
