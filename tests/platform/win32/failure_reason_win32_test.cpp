// The reasons the log gives for failed calls on Windows: the system's codes in the log's words,
// a read-only file refused, a COM port that is not there, and the system's own text for a code
// without words of ours.
#include <gtest/gtest.h>

#include <string>

#include "core/path_text.h"
#include "platform/port_reason.h"
#include "platform/publish_file.h"
#include "platform/serial_port_factory.h"
#include "platform/win32/windows_api.h"
#include "tests/support/temp_dir.h"

namespace zep {
namespace {

TEST(Win32FailureReason, TheSystemsCodesInTheLogsWords) {
    const struct {
        DWORD code;
        const char* words;
    } cases[] = {
        {ERROR_ACCESS_DENIED, "нет доступа"},
        {ERROR_PATH_NOT_FOUND, "нет такого файла или папки"},
        {ERROR_SHARING_VIOLATION, "занято другой программой"},
        {ERROR_DISK_FULL, "нет места на диске"},
        {ERROR_WRITE_PROTECT, "носитель или файловая система только для чтения"},
        {ERROR_DEVICE_NOT_CONNECTED, "устройство отключено"},
        {ERROR_CRC, "ошибка ввода-вывода (сбой диска или носителя)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReasonText(WindowsError(c.code)), c.words) << c.code;
    }
    const std::string own = ReasonText(WindowsError(ERROR_INVALID_FUNCTION));
    EXPECT_FALSE(own.empty());
    EXPECT_EQ(own.find("код ошибки"), std::string::npos);
}

// A read-only file refuses its deletion (Wine, running as any user, honours the attribute
// there).
TEST(Win32FailureReason, AReadOnlyFileAndAMissingPort) {
    test::TempDir dir;
    const auto file = dir / "card.dat";
    test::WriteFileText(file, "0123");
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    const auto removed = RemoveFile(file);
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReasonText(removed.Error()), "нет доступа");

    auto port = CreateSerialPort();
    EXPECT_EQ(PortReasonLine(200, port->PortOpenWithReason(200).Error()),
              "$04Причина: COM200: устройство отключено");
}

}  // namespace
}  // namespace zep
