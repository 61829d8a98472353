// Adapters plugged or pulled while the program runs: the configured port is closed when its
// device goes and opened again when it is back, the selector follows, and the log says each
// change once.
#include <algorithm>

#include "tests/app/controller_fixture.h"

namespace zep::test {
namespace {

constexpr int kRescanPeriod = 5;  // poll ticks from one drive rescan to the next
const std::string kOpened = "COM-порт открыт, ожидание сеанса связи с ZEP ...";
const std::string kLost = "$04COM-порт отключен, ожидание подключения ...";
const std::string kOpenFailed = "$04Ошибка открытия COM-порта.";

class AdapterWatchTest : public ControllerTest {
protected:
    int LinesSaying(const std::string& text) const {
        const auto upper = view.Upper();
        return static_cast<int>(std::count(upper.begin(), upper.end(), text));
    }
    int Fills() const {
        return static_cast<int>(std::count(events.begin(), events.end(), "FillPortSelector"));
    }
};

TEST_F(AdapterWatchTest, PortMissingAtStartOpensAtTheRescanAfterItsAdapterIsPlugged) {
    serial.SetPresent(false);
    subsystems.portNumbers = std::vector<int>{1, 5};
    Start("[COM Port]\nm_port=3\n");
    Tick(3 * kRescanPeriod);
    EXPECT_EQ(controller->Port(), 0);
    EXPECT_EQ(LinesSaying(kOpenFailed), 1) << "a port that stays missing logs nothing more";
    EXPECT_EQ(view.controls.port, 0);

    serial.SetPresent(true);
    subsystems.portNumbers = std::vector<int>{1, 3, 5};
    Tick(kRescanPeriod);
    EXPECT_EQ(controller->Port(), 3);
    EXPECT_EQ(view.listedPorts, (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(view.controls.port, 3) << "the configured port is selected once listed";
    EXPECT_EQ(LinesSaying(kOpened), 1);
    EXPECT_EQ(controller->Tooltip(), "ZEP Импорт (COM3)");
    Tick(2 * kRescanPeriod);
    EXPECT_EQ(LinesSaying(kOpened), 1);

    serial.AddInput("ZEP>");
    Tick();
    EXPECT_TRUE(Contains(events, "StartExchange Zep"));
}

TEST_F(AdapterWatchTest, VanishedPortIsClosedWithOneLineAndReopenedWithOneWhenBack) {
    StartWithPort();
    serial.SetCts(true);
    serial.AddInput("ZE");  // half a prompt from the adapter that is pulled
    Tick();
    serial.SetPresent(false);
    Tick();
    EXPECT_EQ(controller->Port(), 0);
    EXPECT_FALSE(serial.IsOpen(3));
    EXPECT_EQ(view.Upper().back(), kLost);
    EXPECT_EQ(controller->Tooltip(), "ZEP Импорт (COM-порт не окрыт)");

    const int opens = serial.CallCount(Op::Open);
    serial.ClearWritten();
    Tick(3 * kRescanPeriod);
    EXPECT_GT(serial.CallCount(Op::Open), opens) << "tried again at the rescans";
    EXPECT_EQ(serial.Written(), "") << "no probe on a port that is not open";
    EXPECT_EQ(LinesSaying(kLost), 1);
    EXPECT_EQ(LinesSaying(kOpenFailed), 0) << "the silent attempts log nothing";

    serial.SetPresent(true);
    serial.SetCts(false);
    Tick(kRescanPeriod);
    EXPECT_EQ(controller->Port(), 3);
    EXPECT_EQ(LinesSaying(kOpened), 2);  // at start and once back
    EXPECT_EQ(LinesSaying(kLost), 1);
    serial.AddInput("P>");
    Tick();
    EXPECT_FALSE(Contains(events, "StartExchange Zep")) << "no stale half prompt";
    serial.AddInput("ZEP>");
    Tick();
    EXPECT_TRUE(Contains(events, "StartExchange Zep"));
}

TEST_F(AdapterWatchTest, HangUpOfADeviceStillPresentReopensAtTheNextRescan) {
    StartWithPort();
    serial.HangUp(3);
    Tick(kRescanPeriod);
    EXPECT_EQ(controller->Port(), 3);
    EXPECT_TRUE(serial.IsOpen(3));
    EXPECT_EQ(LinesSaying(kLost), 1);
    EXPECT_EQ(LinesSaying(kOpened), 2);
}

TEST_F(AdapterWatchTest, NoAttemptWhileAWorkerIsBusyAndAtOnceWhenItEnds) {
    StartWithPort();
    serial.SetPresent(false);
    Tick();
    ASSERT_EQ(controller->Port(), 0);
    drives.newFolders.push_back(MakeCardFolder());
    Tick();
    ASSERT_TRUE(controller->WorkerBusy());
    serial.SetPresent(true);
    const int opens = serial.CallCount(Op::Open);
    Tick(3 * kRescanPeriod);
    EXPECT_EQ(serial.CallCount(Op::Open), opens);
    EXPECT_EQ(controller->Port(), 0);

    subsystems.FinishWorker();
    Tick();
    EXPECT_EQ(controller->Port(), 3);
}

TEST_F(AdapterWatchTest, HangUpDuringAnExchangeIsReportedByTheFirstIdleTick) {
    StartWithPort();
    serial.AddInput("CL>");
    Tick();
    serial.HangUp(3);
    serial.SetPresent(false);
    Tick(2);
    EXPECT_EQ(LinesSaying(kLost), 0) << "the worker owns the port";
    EXPECT_TRUE(serial.IsOpen(3));
    subsystems.FinishWorker();
    Tick();
    EXPECT_EQ(LinesSaying(kLost), 1);
    EXPECT_FALSE(serial.IsOpen(3));
}

TEST_F(AdapterWatchTest, SelectorIsRefilledOnlyWhenTheAdaptersChange) {
    StartWithPort();
    ASSERT_EQ(Fills(), 1);
    Tick(3 * kRescanPeriod);
    EXPECT_EQ(Fills(), 1);
    subsystems.portNumbers = std::vector<int>{7, 3, 1};
    Tick(kRescanPeriod);
    EXPECT_EQ(Fills(), 2);
    EXPECT_EQ(view.listedPorts, (std::vector<int>{1, 3, 7}));
    EXPECT_EQ(view.controls.port, 3);
    subsystems.portNumbers = std::nullopt;  // the source cannot be read: the list stays
    Tick(kRescanPeriod);
    EXPECT_EQ(Fills(), 2);
    EXPECT_EQ(view.listedPorts, (std::vector<int>{1, 3, 7}));
}

}  // namespace
}  // namespace zep::test
