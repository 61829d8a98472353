// The Tessal exchange against the simulated collector over a pseudo-terminal.
#include <gtest/gtest.h>

#include "link/exchanges.h"
#include "link/tessal_routines.h"
#include "tests/integration/link_session.h"
#include "tools/sim/sim_content.h"
#include "tools/sim/tessal_collector_sim.h"

namespace zep::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Volume 0 whole, then each further volume without its H and header strings.
Bytes Gathered(const sim::TessalArchive& archive) {
    Bytes out = archive.volumes[0];
    for (std::size_t i = 1; i < archive.volumes.size(); ++i) {
        const Bytes& v = archive.volumes[i];
        const std::size_t skip = 2u + ((v[0] << 8) | v[1]);
        out.insert(out.end(), v.begin() + static_cast<std::ptrdiff_t>(skip), v.end());
    }
    return out;
}

TEST(LinkTessal, ArchivesLandByteExactAndAreMarkedAfterSaving) {
    sim::TessalDatabase database = sim::GenerateTessalDatabase(3, 11);
    sim::TessalCollectorSim collector(database);
    ASSERT_TRUE(collector.Start());
    LinkSession session;
    ASSERT_TRUE(session.Connect(collector.SlavePath(), "CL>"));
    TessalExchange(session.params, *session.port, session.env);

    std::vector<Bytes> expected;
    std::vector<int> starts;
    int start = 0;
    for (const auto& archive : database.archives) {
        expected.push_back(Gathered(archive));
        starts.push_back(start);
        start += static_cast<int>(archive.volumes.size());
    }
    EXPECT_EQ(session.SavedFiles(".bin"), expected);  // names follow the order of saving
    EXPECT_EQ(collector.MarkedArchives(), starts);
    EXPECT_EQ(TessalProcessState().port, LinkSession::kPort);
    session.ExpectClosed();
}

TEST(LinkTessal, InjectedFaultsEndWithTheirLinesAndMarkNothing) {
    using sim::FaultKind;
    const struct {
        sim::SimFault fault;
        const char* line;
    } cases[] = {
        {{.kind = FaultKind::BadCrc, .command = "download volume", .times = 0},
         "$04Ошибка считывания архивного тома."},
        {{.kind = FaultKind::ErrorReply, .command = "get records", .times = 0},
         "$04Ошибка считывания числа записей."},
        {{.kind = FaultKind::Truncate, .command = "download volume", .times = 3},
         "$04Ошибка считывания архивного тома."},
    };
    for (const auto& c : cases) {
        sim::SimOptions options;
        options.faults = {c.fault};
        sim::TessalCollectorSim collector(sim::GenerateTessalDatabase(2, 3), options);
        ASSERT_TRUE(collector.Start());
        LinkSession session;
        ASSERT_TRUE(session.Connect(collector.SlavePath(), "CL>"));
        TessalExchange(session.params, *session.port, session.env);
        EXPECT_TRUE(session.report.HasUpper(c.line)) << c.line;
        EXPECT_TRUE(collector.MarkedArchives().empty()) << c.line;
        EXPECT_TRUE(session.SavedFiles(".bin").empty()) << c.line;
        session.ExpectClosed();
    }
}

}  // namespace
}  // namespace zep::test
