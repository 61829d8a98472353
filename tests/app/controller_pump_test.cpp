// The pump's timing of the poll tick on the controller's clock, and its message delivery.
#include "app/controller_pump.h"
#include "tests/app/controller_fixture.h"

namespace zep::test {
namespace {

class ControllerPumpTest : public ControllerTest {
protected:
    void SetUp() override {
        StartWithPort();
        pump = std::make_unique<ControllerPump>(*controller, clock);
    }
    // A prompt waits on the port, so a tick that runs starts an exchange.
    bool TickRuns() {
        serial.AddInput("ZEP>");
        const auto before = subsystems.started.size();
        pump->TickIfDue();
        const bool ran = subsystems.started.size() > before;
        if (ran) {
            lock.Release();  // the fake exchange holds the lock; end it
            pump->DeliverMessages();
        } else {
            Drain(serial, 3);
        }
        return ran;
    }
    std::unique_ptr<ControllerPump> pump;
};

TEST_F(ControllerPumpTest, TicksOncePerPeriodAndNotBefore) {
    EXPECT_EQ(pump->MsUntilTick(), ControllerPump::kPollPeriodMs);
    clock.Advance(999);
    EXPECT_EQ(pump->MsUntilTick(), 1);
    EXPECT_FALSE(TickRuns());
    clock.Advance(1);
    EXPECT_EQ(pump->MsUntilTick(), 0);
    EXPECT_TRUE(TickRuns());
    EXPECT_FALSE(pump->TickIfDue());
    clock.Advance(1000);
    EXPECT_TRUE(pump->TickIfDue());
}

TEST_F(ControllerPumpTest, ALateTickIsNotMadeUpFor) {
    clock.Advance(5500);
    int ticks = 0;
    for (int i = 0; i < 10; ++i) {
        ticks += pump->TickIfDue() ? 1 : 0;
    }
    // The due tick and at most one that was pending meanwhile, not the five missed.
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(pump->MsUntilTick(), ControllerPump::kPollPeriodMs);
}

TEST_F(ControllerPumpTest, DeliversWhatWorkersPosted) {
    controller->Messages().AddLogLines(std::nullopt, "$03Импорт данных завершен.");
    pump->DeliverMessages();
    ASSERT_FALSE(view.Upper().empty());
    EXPECT_EQ(view.Upper().back(), "$03Импорт данных завершен.");
}

}  // namespace
}  // namespace zep::test
