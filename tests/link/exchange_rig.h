#pragma once
// What every exchange test needs: a scripted port, a recording report, a fake clock, a lock
// and a program folder.
#include <filesystem>
#include <string>
#include <vector>

#include "core/path_text.h"
#include "core/worker_environment.h"
#include "core/worker_params.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_serial_port.h"
#include "tests/support/recording_report.h"
#include "tests/support/temp_dir.h"

namespace zep::test {

struct ExchangeRig {
    FakeSerialPort port;
    RecordingReport report;
    FakeClock clock;
    WorkerLock lock;
    TempDir folder;
    WorkerParams params = [] {
        WorkerParams p;
        p.port = 4;
        p.deleteData = true;
        return p;
    }();
    StopRequest stop;  // the program's request to end, as the controller makes it
    WorkerEnvironment env{report, clock, lock, folder.path(), stop};

    ExchangeRig() { port.SetSpeed(9600); }

    std::vector<std::string> Files() const { return ListFiles(folder.path()); }
    // The one file with this extension.
    std::vector<std::uint8_t> FileWith(const std::string& extension) const {
        std::vector<std::uint8_t> content;
        int found = 0;
        for (const auto& name : Files()) {
            if (std::filesystem::path(name).extension() == extension) {
                content = ReadFileBytes(folder.path() / name);
                ++found;
            }
        }
        return found == 1 ? content : std::vector<std::uint8_t>{0xDE, 0xAD};
    }
    // A save into a program folder that is not there says so, and why.
    bool SaysFolderMissing(const std::string& writeError) const {
        return report.UpperAfter(writeError) ==
               "$04Причина: " + PathToUtf8(env.programFolder) + ": нет такого файла или папки";
    }
    // The line state the poll left must be back after every exchange.
    void ExpectLineRestored() const {
        EXPECT_EQ(port.Speed(), 9600);
        EXPECT_EQ(port.TimeoutTotal(), kNeverWait);
        EXPECT_EQ(port.TimeoutInterval(), 1u);
        EXPECT_FALSE(lock.IsHeld());
        const auto upper = report.Upper();
        ASSERT_FALSE(upper.empty());
        EXPECT_EQ(upper.back(), "$03Импорт данных завершен.");
    }
};

}  // namespace zep::test
