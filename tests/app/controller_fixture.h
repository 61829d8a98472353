#pragma once
// A controller wired to fakes, with its settings file in a fresh temporary folder.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "app/main_controller.h"
#include "tests/app/controller_fakes.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_serial_port.h"
#include "tests/support/temp_dir.h"

namespace zep::test {

class ControllerTest : public ::testing::Test {
protected:
    using Op = FakeSerialPort::Op;

    ControllerTest() {
        serial.RequireOpen(true);
        serial.SetCallObserver(
            [this](FakeSerialPort&, const std::string& call) { events.push_back(call); });
    }

    // Reads, probes and line tests: what the poll does to a port.
    int PollCalls() const {
        return serial.CallCount(Op::ReadByte) + serial.CallCount(Op::LineStatus) +
               serial.CallCount(Op::WriteByte);
    }

    std::vector<std::string> startLines;     // what the start itself has to say
    const ImportHistory* history = nullptr;  // what the preview marks
    LogSink* logFile = nullptr;

    std::filesystem::path Ini() const { return dir / "zepimport.ini"; }
    std::filesystem::path Program() const { return dir / "zepimport"; }

    void Start(const std::string& iniText = "", bool startMinimized = false) {
        if (!iniText.empty()) {
            WriteFileText(Ini(), iniText);
        }
        controller = std::make_unique<MainController>(
            view,
            ControllerSetup{
                subsystems, drives, serial, lock, clock, dir.path(), Ini(), Program(), autostart,
                DispatchValues([this](std::string_view section, std::string_view key) {
                    const auto value = dispatch.find({std::string(section), std::string(key)});
                    return value == dispatch.end() ? std::nullopt : std::optional(value->second);
                }),
                [this](const std::filesystem::path& file) { helpOpened.push_back(file); }, history,
                startLines, logFile});
        controller->Initialise(startMinimized);
        controller->DeliverMessages();
    }

    // COM3 configured and listed among others.
    void StartWithPort(const std::string& moreSettings = "") {
        subsystems.portNumbers = std::vector<int>{5, 3, 1};
        Start("[General]\n" + moreSettings + "[COM Port]\nm_port=3\n");
    }

    void Tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            controller->PollTick();
            controller->DeliverMessages();
        }
    }

    std::filesystem::path MakeCardFolder(const std::string& name = "card") {
        const auto folder = dir / name / "Pexilor" / "Tessal";
        std::filesystem::create_directories(folder);
        return folder;
    }

    void TearDown() override {
        if (lock.IsHeld()) {
            lock.Release();
        }
    }

    TempDir dir;
    Events events;
    WorkerLock lock;
    FakeView view{events};
    FakeSubsystems subsystems{events, lock};
    FakeDrives drives{events};
    FakeSerialPort serial;
    FakeClock clock;
    FakeAutostart autostart;
    std::map<std::pair<std::string, std::string>, std::string> dispatch;  // (section, key)
    std::vector<std::filesystem::path> helpOpened;
    std::unique_ptr<MainController> controller;
};

}  // namespace zep::test
