// The Kolvar exchange against the simulated device over a pseudo-terminal.
#include <gtest/gtest.h>

#include "convert/assembled_archive.h"
#include "link/exchanges.h"
#include "tests/integration/link_session.h"
#include "tools/sim/kolvar_device_sim.h"
#include "tools/sim/sim_content.h"

namespace zep::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(LinkKolvar, RecordsLandAsAssembledArchivesAndAreDeletedLastFirst) {
    const auto records = sim::GenerateKolvarRecords(3, 21);
    sim::SimOptions options;
    options.chunkSize = 1000;
    sim::KolvarDeviceSim device(records, options);
    ASSERT_TRUE(device.Start());
    LinkSession session;
    ASSERT_TRUE(session.Connect(device.SlavePath(), "KLV10>"));
    KolvarExchange(session.params, *session.port, session.env);

    const auto files = session.SavedFiles(".bin");
    ASSERT_EQ(files.size(), 3u);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const Bytes& record = records[records.size() - 1 - i].bytes;  // saved last first
        const Bytes& file = files[i];
        ASSERT_EQ(file.size(), record.size() + 220);
        std::vector<Bytes> blocks;
        EXPECT_EQ(WalkAssembledArchive(file,
                                       [&](const AssembledRecord& r) {
                                           blocks.emplace_back(r.data.begin(), r.data.end());
                                           return true;
                                       }),
                  WalkResult::Ok);
        ASSERT_EQ(blocks.size(), 3u);
        EXPECT_EQ(blocks[0], Bytes(record.begin() + 49, record.begin() + 145));
        EXPECT_EQ(blocks[1], Bytes(record.begin() + 145, record.begin() + 177));
        EXPECT_EQ(blocks[2], Bytes(record.begin() + 177, record.end()));
        EXPECT_EQ(NthString(TitleArea(file), 1), "\xC6\xD3\xC2.\xD0-1");
        EXPECT_EQ(NthString(TitleArea(file), 3),
                  std::string(reinterpret_cast<const char*>(record.data())));
    }
    EXPECT_EQ(device.DeletedRecords(), (std::vector<int>{2, 1, 0}));
    session.ExpectClosed();
}

TEST(LinkKolvar, InjectedFaultsEndWithTheirLinesAndDeleteNothing) {
    using sim::FaultKind;
    const struct {
        sim::SimFault fault;
        const char* line;
    } cases[] = {
        {{.kind = FaultKind::BadHeaderCrc, .command = "DOWNLOAD"}, "$04Ошибка считывания записи"},
        {{.kind = FaultKind::BadStatus, .command = "DOWNLOAD"}, "$04Ошибка считывания записи"},
        {{.kind = FaultKind::Silence, .command = "GET RECORDS"},
         "$04Ошибка получения числа записей или записей нет"},
        {{.kind = FaultKind::MissingKey, .command = "GET RECSIZE"},
         "$04Ошибка получения размера записи"},
    };
    for (const auto& c : cases) {
        sim::SimOptions options;
        options.faults = {c.fault};
        sim::KolvarDeviceSim device(sim::GenerateKolvarRecords(2, 4), options);
        ASSERT_TRUE(device.Start());
        LinkSession session;
        ASSERT_TRUE(session.Connect(device.SlavePath(), "KLV10>"));
        KolvarExchange(session.params, *session.port, session.env);
        EXPECT_TRUE(session.report.HasUpper(c.line)) << c.line;
        EXPECT_TRUE(device.DeletedRecords().empty()) << c.line;
        EXPECT_TRUE(session.SavedFiles(".bin").empty()) << c.line;
        session.ExpectClosed();
    }
}

}  // namespace
}  // namespace zep::test
