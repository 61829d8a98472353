// The reasons the log gives for failed calls, taken from the real system: a folder the user may
// not write, a full device, a serial device in use or missing, and one the user may not open,
// with the group that may. Root may open anything, so a refusal is shown to another user:
// the call runs in a child process that has become "nobody".
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "core/path_text.h"
#include "platform/file_patch.h"
#include "platform/port_reason.h"
#include "platform/publish_file.h"
#include "platform/serial_port_factory.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"
#include "tools/common/pseudo_terminal.h"

namespace zep::test {
namespace {

namespace fs = std::filesystem;

// Runs the call in a child process with the user "nobody", the given group and no others, and
// gives back the text it returned.
std::string AsNobody(gid_t group, const std::function<std::string()>& call) {
    const passwd* nobody = getpwnam("nobody");
    int pipeEnds[2];
    if (nobody == nullptr || pipe(pipeEnds) != 0) {
        return "no user nobody";
    }
    const uid_t uid = nobody->pw_uid;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        std::string text = "could not become nobody";
        if (setgroups(0, nullptr) == 0 && setgid(group) == 0 && setuid(uid) == 0) {
            text = call();
        }
        const ssize_t written = write(pipeEnds[1], text.data(), text.size());
        _exit(written == static_cast<ssize_t>(text.size()) ? 0 : 1);
    }
    close(pipeEnds[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return text;
}

std::string LineOrNone(const std::optional<std::string>& line) {
    return line.value_or("no reason");
}

TEST(FailureReason, AFolderTheUserMayNotWriteIsNoAccess) {
    TempDir dir;
    const fs::path locked = dir / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::none);
    const auto create = [&] {
        return LineOrNone(ReasonLine(PendingFile::Create(locked).Error(), PathToUtf8(locked)));
    };
    const std::string line = geteuid() == 0 ? AsNobody(getegid(), create) : create();
    fs::permissions(locked, fs::perms::owner_all);
    EXPECT_EQ(line, "$04Причина: " + PathToUtf8(locked) + ": нет доступа");
}

TEST(FailureReason, AFullDeviceIsNoSpace) {
    const std::vector<BytePatch> patches = {{0, 'x'}};
    const auto patched = PatchFileBytes("/dev/full", patches);
    ASSERT_FALSE(patched);
    EXPECT_EQ(ReasonText(patched.Error()), "нет места на диске");
}

class PortReason : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(device.Open());
        // Others must reach the COM link, as the user of the group tests does.
        fs::permissions(home.path(), fs::perms::owner_all | fs::perms::group_exec |
                                         fs::perms::others_exec | fs::perms::others_read);
        homeEnv.emplace("XDG_CONFIG_HOME", home.path().string());
        const fs::path links = home.path() / "zepimport" / "ports";
        fs::create_directories(links);
        fs::create_symlink(device.SlavePath(), links / ("COM" + std::to_string(kPort)));
    }
    std::string OpenLine() {
        auto port = CreateSerialPort();
        const auto opened = port->PortOpenWithReason(kPort);
        port->PortClose(kPort);
        return LineOrNone(PortReasonLine(kPort, opened.Error()));
    }

    static constexpr int kPort = 41;
    TempDir home;
    std::optional<ScopedEnv> homeEnv;
    tools::PseudoTerminal device;
};

TEST_F(PortReason, ABusyOrMissingDeviceIsNamed) {
    auto holder = CreateSerialPort();
    ASSERT_EQ(holder->PortOpen(kPort), 0);
    EXPECT_EQ(OpenLine(), "$04Причина: " + device.SlavePath() + ": занято другой программой");
    holder->PortClose(kPort);
    EXPECT_EQ(LineOrNone(PortReasonLine(kPort + 1,
                                        CreateSerialPort()->PortOpenWithReason(kPort + 1).Error())),
              "$04Причина: COM42: устройство отключено");
}

// The device's group decides: a user outside it is told to join it; one who joined after
// logging in is told to log in again.
TEST_F(PortReason, ADeviceTheUserMayNotOpenNamesItsGroup) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to give the device to a group and become another user";
    }
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    const std::string user = nobody->pw_name;
    const gid_t ownGroup = nobody->pw_gid;
    const group* tty = getgrnam("tty");
    ASSERT_NE(tty, nullptr);
    const gid_t ttyGroup = tty->gr_gid;
    const std::string ownGroupName = getgrgid(ownGroup)->gr_name;
    constexpr gid_t kUnnamedGroup = 54321;
    struct Case {
        gid_t deviceGroup;
        gid_t processGroup;
        std::string reason;
    };
    const Case cases[] = {
        {ttyGroup, ownGroup,
         "нет доступа к " + device.SlavePath() + ": пользователь " + user +
             " не в группе tty (sudo usermod -aG tty " + user + ", затем войти заново)"},
        {ownGroup, kUnnamedGroup,
         "нет доступа к " + device.SlavePath() + ": пользователь " + user + " добавлен в группу " +
             ownGroupName + " после входа в систему; выйдите из системы и войдите заново"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(chown(device.SlavePath().c_str(), 0, c.deviceGroup), 0);
        ASSERT_EQ(chmod(device.SlavePath().c_str(), 0660), 0);
        EXPECT_EQ(AsNobody(c.processGroup, [&] { return OpenLine(); }), "$04Причина: " + c.reason);
    }
}

}  // namespace
}  // namespace zep::test
