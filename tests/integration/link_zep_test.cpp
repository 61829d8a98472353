// The ZEP exchange against the simulated adapter over a pseudo-terminal.
#include <gtest/gtest.h>

#include <algorithm>

#include "link/exchanges.h"
#include "tests/integration/link_session.h"
#include "tools/sim/sim_content.h"
#include "tools/sim/zep_adapter_sim.h"

namespace zep::test {
namespace {

using sim::FaultKind;

std::vector<sim::ZepFile> SomeFiles() {
    auto files = sim::GenerateZepFiles(3, 5);
    files[1].name = "PROTOCOL.zvo";
    return files;
}

TEST(LinkZep, FilesLandByteExactAndAreDeletedAfterSaving) {
    const auto files = SomeFiles();
    sim::ZepAdapterSim adapter(files);
    ASSERT_TRUE(adapter.Start());
    LinkSession session;
    ASSERT_TRUE(session.Connect(adapter.SlavePath(), "ZEP>"));
    ZepExchange(session.params, *session.port, session.env);

    auto archives = session.SavedFiles(".bia");
    std::vector<std::vector<std::uint8_t>> expected = {files[0].bytes, files[2].bytes};
    std::sort(archives.begin(), archives.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(archives, expected);
    EXPECT_EQ(session.SavedFiles(".bil"), (std::vector<std::vector<std::uint8_t>>{files[1].bytes}));
    EXPECT_EQ(adapter.DeletedFiles(),
              (std::vector<std::string>{files[0].name, files[1].name, files[2].name}));
    EXPECT_TRUE(adapter.Files().empty());
    EXPECT_TRUE(adapter.WaitForSessions(1, 3000));
    session.ExpectClosed();
}

TEST(LinkZep, InjectedFaultsEndWithTheirLinesAndDeleteNothing) {
    const struct {
        sim::SimFault fault;
        const char* line;
    } cases[] = {
        {{.kind = FaultKind::BadCrc, .command = ">", .times = 0}, "$04Ошибка чтения файла с ZEP"},
        {{.kind = FaultKind::RefuseSpeed, .command = "6"}, "$04Ошибка переключения скорости ZEP"},
        {{.kind = FaultKind::Unplug, .command = ">"}, "$04Ошибка чтения файла с ZEP"},
    };
    for (const auto& c : cases) {
        sim::SimOptions options;
        options.faults = {c.fault};
        sim::ZepAdapterSim adapter(SomeFiles(), options);
        ASSERT_TRUE(adapter.Start());
        LinkSession session;
        ASSERT_TRUE(session.Connect(adapter.SlavePath(), "ZEP>"));
        ZepExchange(session.params, *session.port, session.env);
        EXPECT_TRUE(session.report.HasUpper(c.line)) << c.line;
        EXPECT_TRUE(adapter.DeletedFiles().empty()) << c.line;
        EXPECT_TRUE(session.SavedFiles(".bia").empty()) << c.line;
        EXPECT_FALSE(session.lock.IsHeld());
        EXPECT_EQ(session.report.Upper().back(), "$03Импорт данных завершен.");
        if (c.fault.kind != FaultKind::Unplug)
            session.ExpectClosed();
    }
}

}  // namespace
}  // namespace zep::test
