// The one-second poll: prompts, the "?" probe, cards before prompts, drive rescans and the
// tray around a worker.
#include <regex>

#include "platform/time_base.h"
#include "tests/app/controller_fixture.h"

namespace zep::test {
namespace {

using PollTest = ControllerTest;

TEST_F(PollTest, PromptSplitOverTwoTicksStartsTessalWithPortAndDeleteFlag) {
    StartWithPort("m_deleteAfter=1\n");
    serial.AddInput("C");
    serial.AddInput("L");
    Tick();
    EXPECT_TRUE(subsystems.started.empty());
    serial.AddInput(">");
    Tick();
    ASSERT_EQ(subsystems.started.size(), 1u);
    EXPECT_TRUE(Contains(events, "StartExchange Tessal"));
    EXPECT_EQ(subsystems.started[0].port, 3);
    EXPECT_TRUE(subsystems.started[0].deleteData);
    EXPECT_TRUE(controller->WorkerBusy());
    EXPECT_EQ(view.portSelectorEnabled, false);
    const auto upper = view.Upper();
    ASSERT_GE(upper.size(), 2u);
    EXPECT_EQ(upper[upper.size() - 2], "");
    EXPECT_EQ(upper.back(),
              "$03Сеанс связи начат " + FormatLocalTime(clock.Now(), kLogStampPattern));
    EXPECT_TRUE(std::regex_match(
        upper.back(), std::regex(R"(\$03Сеанс связи начат \d\d:\d\d:\d\d \d\d\.\d\d\.\d{4})")));
}

TEST_F(PollTest, DoubledFirstByteDoesNotMatchButALaterPromptDoes) {
    StartWithPort();
    serial.AddInput("CCL>");
    Tick();
    EXPECT_TRUE(subsystems.started.empty());
    serial.AddInput("KLV10>");
    Tick();
    EXPECT_TRUE(Contains(events, "StartExchange Kolvar"));
}

TEST_F(PollTest, ZepPromptAfterNoiseStartsZepAndLeavesTheRestUnread) {
    StartWithPort();
    serial.AddInput("xxZEP>FILE=");
    Tick();
    EXPECT_TRUE(Contains(events, "StartExchange Zep"));
    EXPECT_EQ(Drain(serial, 3), "FILE=");
}

TEST_F(PollTest, NoPortTouchesNoPort) {
    subsystems.portNumbers = std::vector<int>{1, 2};
    Start();  // first run: no port configured
    serial.AddInput("ZEP>");
    serial.SetCts(true);
    Tick(12);
    EXPECT_TRUE(serial.Calls().empty());
    EXPECT_EQ(PollCalls(), 0);
    EXPECT_EQ(serial.PendingInput(), 4u);
    EXPECT_TRUE(subsystems.started.empty());
}

TEST_F(PollTest, ProbeOncePerIdleTickWhileCtsIsHighAndNotAfterZepUntilCtsWasLow) {
    StartWithPort();
    serial.SetCts(true);
    Tick(3);
    EXPECT_EQ(serial.Written(), "???");

    serial.ClearWritten();
    serial.AddInput("ZEP>");
    Tick();   // starts the ZEP exchange
    Tick(2);  // worker running: ticks only count
    subsystems.FinishWorker();
    Tick(3);  // adapter still plugged in, CTS high
    EXPECT_EQ(serial.Written(), "");

    serial.SetCts(false);
    Tick();
    serial.SetCts(true);
    Tick();
    EXPECT_EQ(serial.Written(), "?");
}

TEST_F(PollTest, LineStatusErrorIsNoClearToSend) {
    StartWithPort();
    serial.SetCts(true);
    serial.Fail(Op::LineStatus);  // -1 has bit 0 set, but it is an error, not a line state
    Tick(2);
    EXPECT_EQ(serial.Written(), "");
}

TEST_F(PollTest, CardWinsOverPromptAndThePromptWaitsForTheNextIdleTick) {
    StartWithPort("m_preview=0\nm_deleteFlash=1\nm_deleteAfter=0\n");
    const auto card = MakeCardFolder();
    drives.newFolders.push_back(card);
    serial.AddInput("ZEP>");
    const auto workingFolder = std::filesystem::current_path();
    Tick();
    EXPECT_TRUE(Contains(events, "StartCardImport"));
    // The card folder was only tested, not entered: the card stays free to be ejected.
    EXPECT_EQ(std::filesystem::current_path(), workingFolder);
    EXPECT_FALSE(Contains(events, "StartExchange Zep"));
    EXPECT_EQ(serial.PendingInput(), 4u);
    ASSERT_EQ(subsystems.started.size(), 1u);
    EXPECT_EQ(subsystems.started[0].folder, card);
    EXPECT_TRUE(subsystems.started[0].deleteData);
    EXPECT_TRUE(subsystems.started[0].selection.empty());
    EXPECT_TRUE(view.previews.empty());
    const auto upper = view.Upper();
    ASSERT_GE(upper.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(upper.end() - 3, upper.end()),
              (std::vector<std::string>{"", "$03Получение данных со сменного накопителя...",
                                        card.string()}));

    subsystems.FinishWorker();
    Tick();
    EXPECT_TRUE(Contains(events, "StartExchange Zep"));
    EXPECT_FALSE(subsystems.started.back().deleteData);
}

TEST_F(PollTest, PreviewSelectionGoesToTheWorkerAndCancelStartsNothing) {
    StartWithPort("m_preview=1\n");
    const auto card = MakeCardFolder();
    drives.newFolders.push_back(card);
    view.previewAnswer = std::nullopt;
    Tick();
    EXPECT_EQ(view.previews, std::vector<std::string>{card.string()});
    EXPECT_TRUE(subsystems.started.empty());
    EXPECT_FALSE(controller->WorkerBusy());

    drives.newFolders.push_back(card);
    view.previewAnswer = std::vector<SelectionKey>{0x12340000u, 0xABCD0001u};
    Tick();
    ASSERT_EQ(subsystems.started.size(), 1u);
    EXPECT_EQ(subsystems.started[0].selection,
              (std::vector<SelectionKey>{0x12340000u, 0xABCD0001u}));
}

// "ImportOnce" (default 1) goes to the workers, and the preview marks the history's archives
// only while it is on: with 0 every offer is imported, so nothing is marked.
TEST_F(PollTest, ImportOnceDecidesTheWorkersRuleAndThePreviewsMarks) {
    const MemoryImportHistory marks;
    history = &marks;
    for (const char* setting : {"", "ImportOnce=0\n"}) {
        subsystems.started.clear();
        view.previewHistories.clear();
        StartWithPort(std::string("m_preview=1\n") + setting);
        drives.newFolders.push_back(MakeCardFolder());
        Tick();
        ASSERT_EQ(subsystems.started.size(), 1u) << setting;
        const bool once = *setting == '\0';
        EXPECT_EQ(subsystems.started[0].importOnce, once) << setting;
        EXPECT_EQ(view.previewHistories, std::vector<const ImportHistory*>{once ? &marks : nullptr})
            << setting;
        subsystems.FinishWorker();
    }
}

TEST_F(PollTest, TicksDuringThePreviewOnlyCount) {
    StartWithPort("m_preview=1\n");
    drives.newFolders.push_back(MakeCardFolder());
    view.duringPreview = [this] { controller->PollTick(); };
    events.clear();
    Tick();
    // One search, no nested one; the nested tick still counts toward the rescan.
    EXPECT_EQ(std::count(events.begin(), events.end(), "Find"), 1);
    subsystems.FinishWorker();
    events.clear();
    Tick(3);  // ticks 3, 4, 5 since the start: the 5th rescans
    EXPECT_EQ(std::count(events.begin(), events.end(), "Rescan"), 1);
}

TEST_F(PollTest, CardFolderThatCannotBeEnteredLetsThePortBePolled) {
    StartWithPort();
    drives.newFolders.push_back((dir / "gone" / "Pexilor" / "Tessal").string());
    serial.AddInput("CL>");
    Tick();
    EXPECT_FALSE(Contains(events, "StartCardImport"));
    EXPECT_TRUE(Contains(events, "StartExchange Tessal"));
}

TEST_F(PollTest, RescanEveryFifthIdleTickAndAtOnceAfterALongWorker) {
    StartWithPort();
    events.clear();
    Tick(4);
    EXPECT_FALSE(Contains(events, "Rescan"));
    Tick();
    EXPECT_EQ(std::count(events.begin(), events.end(), "Rescan"), 1);

    serial.AddInput("CL>");
    Tick();  // starts the worker
    events.clear();
    Tick(10);
    EXPECT_FALSE(Contains(events, "Rescan"));
    EXPECT_FALSE(Contains(events, "Find"));
    subsystems.FinishWorker();
    Tick();
    const auto rescan = IndexOf(events, "Rescan");
    const auto find = IndexOf(events, "Find");
    ASSERT_GE(rescan, 0);
    ASSERT_GE(find, 0);
    EXPECT_LT(rescan, find);
}

TEST_F(PollTest, IdleTickAfterAWorkerClearsBusyAndEnablesThePortSelector) {
    StartWithPort();
    serial.AddInput("CL>");
    Tick();
    EXPECT_EQ(view.portSelectorEnabled, false);
    Tick();
    EXPECT_TRUE(controller->WorkerBusy());
    subsystems.FinishWorker();
    view.bars.clear();
    Tick();
    EXPECT_FALSE(controller->WorkerBusy());
    EXPECT_EQ(view.portSelectorEnabled, true);
    EXPECT_EQ(view.bars, (std::vector<std::string>{"position 1 0", "caption 1 "}));
}

TEST_F(PollTest, WindowInTrayIsShownForAnExchangeAndHiddenAgainAfterIt) {
    StartWithPort("m_expandActive=1\n");
    controller->OnSystemCommand(SystemCommand::Minimize);
    ASSERT_TRUE(controller->InTray());
    serial.AddInput("ZEP>");
    Tick();
    EXPECT_FALSE(controller->InTray());
    EXPECT_EQ(view.restores, 1);
    EXPECT_TRUE(view.visible);
    subsystems.FinishWorker();
    Tick();
    EXPECT_TRUE(controller->InTray());
    EXPECT_FALSE(view.visible);
    EXPECT_TRUE(view.trayIcon);
}

TEST_F(PollTest, WindowMinimisedByTheUserDuringTheWorkerStaysAsItIs) {
    StartWithPort("m_expandActive=1\n");
    controller->OnSystemCommand(SystemCommand::Minimize);
    serial.AddInput("ZEP>");
    Tick();
    controller->OnSystemCommand(SystemCommand::Minimize);
    subsystems.FinishWorker();
    events.clear();
    Tick();
    EXPECT_TRUE(controller->InTray());
    EXPECT_FALSE(Contains(events, "TrayIcon on"));
    EXPECT_FALSE(Contains(events, "TrayIcon off"));
}

TEST_F(PollTest, VisibleWindowStaysVisibleAfterAWorker) {
    StartWithPort("m_expandActive=1\n");
    serial.AddInput("ZEP>");
    Tick();
    subsystems.FinishWorker();
    Tick(2);
    EXPECT_FALSE(controller->InTray());
    EXPECT_TRUE(view.visible);
}

TEST_F(PollTest, WithoutExpandActiveTheWindowStaysInTheTray) {
    StartWithPort("m_expandActive=0\n");
    controller->OnSystemCommand(SystemCommand::Minimize);
    serial.AddInput("ZEP>");
    Tick();
    EXPECT_TRUE(controller->InTray());
    EXPECT_EQ(view.restores, 0);
}

TEST_F(PollTest, CardFoundWhileInTrayShowsThePreviewAndReturnsToTheTray) {
    StartWithPort("m_expandActive=1\nm_preview=1\n");
    controller->OnSystemCommand(SystemCommand::Minimize);
    drives.newFolders.push_back(MakeCardFolder());
    view.previewAnswer = std::nullopt;  // even when cancelled
    controller->PollTick();
    EXPECT_FALSE(controller->InTray());  // restored for the preview
    controller->DeliverMessages();
    EXPECT_TRUE(controller->InTray());
}

}  // namespace
}  // namespace zep::test
