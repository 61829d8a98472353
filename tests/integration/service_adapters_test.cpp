// An adapter plugged after the service started, pulled and plugged again while it runs: the
// real binary on a pseudo-terminal whose COM link comes and goes.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/headless_service.h"

namespace zep::test {
namespace {

constexpr int kPort = 7;
const std::string kOpenFailed = "Ошибка открытия COM-порта.";
const std::string kOpened = "COM-порт открыт, ожидание сеанса связи с ZEP ...";
const std::string kLost = "COM-порт отключен, ожидание подключения ...";

std::size_t LinesHolding(const std::string& text, const std::string& needle) {
    std::size_t count = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos;
         at = text.find(needle, at + needle.size())) {
        ++count;
    }
    return count;
}

TEST(ServiceAdaptersTest, LatePlugIsServedAndEveryLossAndReturnIsLoggedOnce) {
    TempDir dir;
    WriteSettings(dir, "[COM Port]\r\nm_port=" + std::to_string(kPort) + "\r\n");
    const std::string link = "config/zepimport/ports/COM" + std::to_string(kPort);
    const std::string script =
        // Plugged after start: the link appears, a session runs.
        StartDevice("zep-sim", "--generate 2", kPort) +
        WaitFor(OutputHas("Импорт данных завершен.")) +
        // The device file vanishes while the port is open, then comes back.
        "target=$(readlink " + link + "); rm " + link + "; " + WaitFor(OutputHas(kLost)) +
        "ln -s \"$target\" " + link + "; " + WaitFor(OutputHasTimes(kOpened, 2)) +
        // The device end of the line closes: the open port hangs up; the link stays behind,
        // dangling. It is pointed past the old terminal at once: other programs on this machine
        // may be given that terminal's number again, which no real adapter's name would be.
        "kill -KILL $sim; wait $sim; trap - EXIT; ln -sfn \"$target-gone\" " + link + "; " +
        WaitFor(OutputHasTimes(kLost, 2));
    // One more rescan with the adapter still missing, which must log nothing.
    const HeadlessRun run = RunHeadless(dir, ServiceScript().AfterStart(script).WaitUntil(
                                                 OutputHasTimes(kLost, 2) + " && sleep 6"));
    EXPECT_TRUE(run.aliveAtSignal) << run.err;
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(RawFiles(dir).size(), 2u) << run.out;
    EXPECT_EQ(LinesHolding(run.out, kOpenFailed), 1u) << run.out;
    EXPECT_EQ(LinesHolding(run.out, kOpened), 2u) << run.out;
    EXPECT_EQ(LinesHolding(run.out, kLost), 2u) << run.out;
    EXPECT_EQ(run.out.find('$'), std::string::npos) << "no colour codes:\n" << run.out;
}

}  // namespace
}  // namespace zep::test
