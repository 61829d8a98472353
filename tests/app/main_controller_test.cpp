// Start-up, the port, the worker messages, the options, the guarded exit and closing.
#include <cerrno>

#include "tests/app/controller_fixture.h"

namespace zep::test {
namespace {

using MainControllerTest = ControllerTest;

TEST_F(MainControllerTest, InitialisationRunsItsStepsInOrder) {
    subsystems.portNumbers = std::vector<int>{1};
    Start();
    const Events expected = {"LoadDrivers",      "ShowOptions", "SerialPortNumbers",
                             "FillPortSelector", "Rescan",      "StartConversion"};
    EXPECT_EQ(events, expected);
    // The drivers' lines come before anything the controller writes itself.
    ASSERT_FALSE(view.Upper().empty());
    EXPECT_EQ(view.Upper().front(), "driver line");
    EXPECT_EQ(subsystems.convertBusy, &controller->ConvertBusy());
}

// A warning of the start (an unlockable folder) is read in the pane, before the drivers' lines.
TEST_F(MainControllerTest, StartWarningsLeadTheUpperPane) {
    startLines = {"$04folder warning"};
    Start();
    ASSERT_GE(view.Upper().size(), 2u);
    EXPECT_EQ(view.Upper()[0], "$04folder warning");
    EXPECT_EQ(view.Upper()[1], "driver line");
}

TEST_F(MainControllerTest, FirstRunHasTheDefaultsAndNoPort) {
    subsystems.portNumbers = std::vector<int>{2, 1};
    Start();
    const Options expected{.runMinimized = 0,
                           .expandActive = 1,
                           .deleteAfter = 0,
                           .autoStart = 0,
                           .removable = 1,
                           .deleteFlash = 0,
                           .preview = 1};
    EXPECT_EQ(controller->CurrentOptions(), expected);
    EXPECT_EQ(view.controls.options, expected);
    EXPECT_EQ(controller->Port(), 0);
    EXPECT_FALSE(controller->SaveBin());
    EXPECT_EQ(controller->Tooltip(), "ZEP Импорт (COM-порт не окрыт)");
    EXPECT_EQ(view.listedPorts, (std::vector<int>{1, 2}));
    EXPECT_EQ(view.controls.port, 0);
    EXPECT_TRUE(serial.Calls().empty());
    EXPECT_FALSE(std::filesystem::exists(Ini()));  // loading writes nothing
}

TEST_F(MainControllerTest, ConfiguredPortIsOpenedWithTheIdleLineSettings) {
    StartWithPort();
    EXPECT_EQ(controller->Port(), 3);
    EXPECT_EQ(view.listedPorts, (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(view.controls.port, 3);
    EXPECT_TRUE(Contains(events, "Open 3"));
    EXPECT_TRUE(Contains(events, "SetLineParams 12 3"));
    EXPECT_TRUE(Contains(events, "SetFlowControl 0"));
    EXPECT_TRUE(Contains(events, "SetReadTimeouts 4294967295 1"));
    EXPECT_EQ(view.Upper().back(), "COM-порт открыт, ожидание сеанса связи с ZEP ...");
    EXPECT_EQ(controller->Tooltip(), "ZEP Импорт (COM3)");
}

// The line of the failure is followed by the system's reason, in the port's own words.
bool SaysWhy(const std::vector<std::string>& lines, const std::string& failure,
             const std::string& reason) {
    return lines.size() >= 2 && lines[lines.size() - 2] == failure &&
           lines.back().starts_with("$04Причина: ") && lines.back().ends_with(": " + reason);
}

TEST_F(MainControllerTest, PortTakenByAnotherProgramIsReportedAndKeptInTheSettings) {
    serial.Fail(Op::Open);
    serial.SetFailureReason(ErrnoError(EBUSY));
    StartWithPort();
    EXPECT_EQ(controller->Port(), 0);
    EXPECT_TRUE(SaysWhy(view.Upper(), "$04Ошибка открытия COM-порта.", "занято другой программой"));
    EXPECT_EQ(controller->Tooltip(), "ZEP Импорт (COM-порт не окрыт)");
    serial.AddInput("ZEP>");
    Tick(2);
    EXPECT_EQ(PollCalls(), 0);
    ASSERT_TRUE(controller->RequestExit());
    controller->Close();
    EXPECT_NE(ReadFileText(Ini()).find("m_port=3"), std::string::npos);
    EXPECT_FALSE(Contains(events, "Close 3"));  // never opened, never closed
}

TEST_F(MainControllerTest, PortMissingFromTheListIsNotOpenedTwiceButStaysConfigured) {
    subsystems.portNumbers = std::vector<int>{1, 2};
    serial.Fail(Op::Open);  // no such device
    Start("[COM Port]\nm_port=7\n");
    EXPECT_EQ(view.Upper().back(), "$04Ошибка открытия COM-порта.");
    EXPECT_EQ(view.controls.port, 0);  // not listed, nothing selected
    controller->Close();
    EXPECT_NE(ReadFileText(Ini()).find("m_port=7"), std::string::npos);
}

TEST_F(MainControllerTest, RefusedLineSettingsCloseThePortAgain) {
    serial.Fail(Op::SetLineParams);
    serial.SetFailureReason(ErrnoError(EIO));
    StartWithPort();
    EXPECT_EQ(controller->Port(), 0);
    EXPECT_TRUE(SaysWhy(view.Upper(), "$04Ошибка установки параметров COM-порта.",
                        "ошибка ввода-вывода (сбой диска или носителя)"));
    EXPECT_FALSE(serial.IsOpen(3));
    EXPECT_EQ(controller->Tooltip(), "ZEP Импорт (COM-порт не окрыт)");
}

TEST_F(MainControllerTest, SelectingAnotherPortClosesTheOldAndOpensTheNew) {
    StartWithPort();
    controller->OnSystemCommand(SystemCommand::Minimize);
    view.controls.port = 5;
    controller->OnPortSelected();
    EXPECT_EQ(controller->Port(), 5);
    EXPECT_TRUE(serial.IsOpen(5));
    EXPECT_FALSE(serial.IsOpen(3));
    EXPECT_LT(IndexOf(events, "Close 3"), IndexOf(events, "Open 5"));
    EXPECT_TRUE(Contains(events, "Tooltip ZEP Импорт (COM5)"));
}

TEST_F(MainControllerTest, StartedMinimisedGoesToTheTrayOnceTheMessageArrives) {
    Start("[General]\nm_runMinimized=1\n");
    EXPECT_TRUE(controller->InTray());
    EXPECT_TRUE(view.trayIcon);
    EXPECT_FALSE(view.visible);
    controller->RestoreFromTray();
    EXPECT_FALSE(controller->InTray());
    EXPECT_FALSE(view.trayIcon);
    EXPECT_EQ(view.restores, 1);
}

TEST_F(MainControllerTest, WorkerMessagesFollowTheRulesOfBarsAndPanes) {
    Start();
    view.bars.clear();
    view.lines.clear();
    WorkerReport& report = controller->Messages();
    report.SetBar2(40, std::string("file.bia"));
    report.SetBar2(60, std::nullopt);  // keeps the caption
    report.SetBar1(10, std::string(""));
    report.AddLogLines(std::string("lower"), std::string("upper"));
    report.LogLower("only lower");
    EXPECT_TRUE(view.lines.empty());  // posted, not yet handled
    controller->DeliverMessages();
    EXPECT_EQ(view.bars,
              (std::vector<std::string>{"position 2 40", "caption 2 file.bia", "position 2 60",
                                        "position 1 10", "caption 1 "}));
    ASSERT_EQ(view.lines.size(), 3u);
    EXPECT_EQ(view.lines[0].pane, Pane::Lower);
    EXPECT_EQ(view.lines[0].text, "lower");
    EXPECT_EQ(view.lines[1].pane, Pane::Upper);
    EXPECT_EQ(view.lines[1].text, "upper");
    EXPECT_EQ(view.lines[2].pane, Pane::Lower);
}

TEST_F(MainControllerTest, ExitIsRefusedWhileAWorkerOrAConversionIsBusy) {
    StartWithPort();
    EXPECT_TRUE(controller->RequestExit());
    serial.AddInput("ZEP>");
    Tick();
    EXPECT_FALSE(controller->RequestExit());
    subsystems.FinishWorker();
    // The worker has ended, but only the next idle tick notices.
    EXPECT_FALSE(controller->RequestExit());
    Tick();
    EXPECT_TRUE(controller->RequestExit());
    controller->ConvertBusy() = 1;
    EXPECT_FALSE(controller->RequestExit());
    controller->ConvertBusy() = 0;
    EXPECT_TRUE(controller->RequestExit());
}

// A signal does not wait for a pass over many files: the conversion is asked to stop after
// the file in hand, but only once no exchange is running (its files still get converted).
TEST_F(MainControllerTest, ASignalledExitEndsAConversionPassBetweenFiles) {
    StartWithPort();
    serial.AddInput("ZEP>");
    Tick();
    controller->ConvertBusy() = 1;
    EXPECT_FALSE(controller->RequestExitBetweenFiles());
    EXPECT_FALSE(Contains(events, "StopConversionAfterFile"));
    subsystems.FinishWorker();
    Tick();
    EXPECT_FALSE(controller->RequestExitBetweenFiles());
    EXPECT_TRUE(Contains(events, "StopConversionAfterFile"));
    controller->ConvertBusy() = 0;  // the pass ended after its file
    EXPECT_TRUE(controller->RequestExitBetweenFiles());
}

// A device that announces itself again right after each session must not starve the exit: a
// refused exit asks the worker to stop and lets nothing new start.
TEST_F(MainControllerTest, ARefusedExitStartsNothingNewAndAsksTheWorkerToStop) {
    StartWithPort();
    serial.AddInput("ZEP>");
    Tick();
    ASSERT_EQ(subsystems.started.size(), 1u);
    EXPECT_FALSE(controller->RequestExitBetweenFiles());
    EXPECT_TRUE(Contains(events, "RequestWorkerStop"));
    subsystems.FinishWorker();
    serial.AddInput("ZEP>");
    drives.newFolders.push_back(MakeCardFolder());
    Tick(3);
    EXPECT_EQ(subsystems.started.size(), 1u);
    EXPECT_TRUE(controller->RequestExit());
}

// A settings file that is not a plain file is taken as missing with a line that says why, and
// the save at exit leaves it as it is (and says it did not save).
TEST_F(MainControllerTest, ASettingsFileThatIsNotAFileIsMissingAndLeftAlone) {
    std::filesystem::create_directory(Ini());  // on every system; FIFOs and devices: platform
    Start();
    const auto upper = view.Upper();
    EXPECT_NE(std::find(upper.begin(), upper.end(),
                        "$04Файл настроек '" + Ini().string() +
                            "' не прочитан: это не обычный файл; приняты настройки по умолчанию, "
                            "файл оставлен как есть."),
              upper.end());
    EXPECT_EQ(controller->CurrentOptions().expandActive, 1);
    EXPECT_FALSE(controller->Close());
    EXPECT_EQ(view.Upper().back(),
              "$04Не удалось сохранить настройки в файл '" + Ini().string() + "'.");
    EXPECT_TRUE(std::filesystem::is_directory(Ini()));
}

TEST_F(MainControllerTest, ClosingRunsItsStepsInOrder) {
    StartWithPort();
    controller->OnSystemCommand(SystemCommand::Minimize);
    bool savedBeforeTessalClose = false;
    subsystems.onTessalClose = [&] {
        savedBeforeTessalClose = std::filesystem::exists(Ini()) &&
                                 ReadFileText(Ini()).find("m_port=3") != std::string::npos;
    };
    std::filesystem::remove(Ini());
    events.clear();
    controller->Close();
    const Events expected = {"TrayIcon off", "TessalClose", "Close 3", "StopWorkers",
                             "UnloadDrivers"};
    EXPECT_EQ(events, expected);
    EXPECT_TRUE(savedBeforeTessalClose);
    EXPECT_FALSE(serial.IsOpen(3));
    EXPECT_FALSE(controller->InTray());
    events.clear();
    controller->Close();
    controller->PollTick();
    EXPECT_TRUE(events.empty());
}

TEST_F(MainControllerTest, OptionClicksReadTheControlsAndAutostartIsWrittenAtOnce) {
    Start();
    view.controls.options.deleteAfter = 1;
    controller->OnOptionClicked(OptionBox::DeleteAfter);
    EXPECT_EQ(controller->CurrentOptions().deleteAfter, 1);
    EXPECT_EQ(autostart.entry, std::nullopt);

    view.controls.options.autoStart = 1;
    controller->OnOptionClicked(OptionBox::AutoStart);
    EXPECT_EQ(autostart.entry, Program());
    view.controls.options.autoStart = 0;
    controller->OnOptionClicked(OptionBox::AutoStart);
    EXPECT_EQ(autostart.entry, std::nullopt);
}

TEST_F(MainControllerTest, AutostartEntryIsReadWhenTheControllerIsMade) {
    autostart.entry = Program();
    Start();
    EXPECT_EQ(controller->CurrentOptions().autoStart, 1);
    EXPECT_EQ(view.controls.options.autoStart, 1);
}

TEST_F(MainControllerTest, SwitchingCardsOffEmptiesTheDriveTable) {
    Start();
    drives.drives = {{"/media/a/", true}};
    view.controls.options.removable = 0;
    events.clear();
    controller->OnOptionClicked(OptionBox::Removable);
    EXPECT_EQ(events, Events{"Clear"});
    EXPECT_TRUE(view.buttons.empty());
    view.controls.options.removable = 1;
    view.controlsReadable = false;  // unreadable controls count as "off"
    events.clear();
    controller->OnOptionClicked(OptionBox::Removable);
    EXPECT_EQ(events, Events{"Clear"});
}

TEST_F(MainControllerTest, OnlyTenDrivesGetButtonsAndAButtonRearmsItsDrive) {
    Start();
    drives.drives.clear();
    for (int i = 0; i < 12; ++i) {
        drives.drives.push_back({"/media/d" + std::to_string(i) + "/", i % 2 == 0});
    }
    controller->OnOptionClicked(OptionBox::Removable);
    ASSERT_EQ(view.buttons.size(), 10u);
    EXPECT_EQ(view.buttons[9].root, "/media/d9/");
    EXPECT_TRUE(view.buttons[0].enabled);
    EXPECT_FALSE(view.buttons[1].enabled);
    controller->OnDriveButton(4);
    controller->OnDriveButton(10);  // no such button
    controller->OnDriveButton(-1);
    EXPECT_EQ(drives.rearmed, std::vector<int>{4});
}

TEST_F(MainControllerTest, HelpOpensTheDispatchSystemsHelpFile) {
    Start();
    controller->OnHelp();
    EXPECT_TRUE(helpOpened.empty());  // no "Path" value
    dispatch[{"Velmora", "Path"}] = "/opt/velmora/main.exe";
    controller->OnHelp();
    EXPECT_EQ(helpOpened, std::vector<std::filesystem::path>{"/opt/velmora/main.chm"});
}

}  // namespace
}  // namespace zep::test
