// The Kolvar exchange on a fake port: records downloaded last to first, each saved before it is
// deleted, and bad chunks, refusals and a full folder stopping it safely.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "link/exchanges.h"
#include "link/kolvar_archive.h"
#include "tests/link/exchange_rig.h"
#include "tests/link/link_test_support.h"
#include "tests/support/failing_files.h"

namespace zep::test {
namespace {

// The device's side: numbered records sent in chunks; a test may spoil the chunks.
class KolvarDevice {
public:
    std::vector<Bytes> records;
    std::size_t chunkSize = 8192;
    std::string recordCount;                 // "RECORDS=" value; empty = the real count
    std::map<int, std::string> sizeAnswers;  // "RECSIZE=" values that differ from the real
    std::function<void(std::vector<KolvarChunk>&)> spoil;
    bool answerDelete = true;
    std::vector<std::string> commands;
    std::vector<std::size_t> filesOnDiskAtDelete;
    std::function<void(const std::string& command)> heard;  // before the answer

    void Attach(ExchangeRig& rig) {
        m_rig = &rig;
        rig.port.SetResponder([this](FakeSerialPort& p, const std::string& w) { OnWrite(p, w); });
    }

    int Count(const std::string& prefix) const {
        return static_cast<int>(std::count_if(commands.begin(), commands.end(),
                                              [&](auto& c) { return c.rfind(prefix, 0) == 0; }));
    }

private:
    void OnWrite(FakeSerialPort& port, const std::string& command) {
        commands.push_back(command);
        if (heard) {
            heard(command);
        }
        int r = 0;
        long size = 0;
        if (command == "GET RECORDS\r") {
            const std::string n =
                recordCount.empty() ? std::to_string(records.size()) : recordCount;
            port.AddInput("RECORDS=" + n + "\r\nKLV10>");
        } else if (std::sscanf(command.c_str(), "GET RECSIZE %d", &r) == 1) {
            const auto answer = sizeAnswers.find(r);
            port.AddInput(
                "RECSIZE=" +
                (answer != sizeAnswers.end() ? answer->second : std::to_string(records[r].size())) +
                "\r\nKLV10>");
        } else if (std::sscanf(command.c_str(), "DOWNLOAD %d 0 %ld", &r, &size) == 2) {
            std::vector<KolvarChunk> chunks;
            const Bytes& record = records[static_cast<std::size_t>(r)];
            for (std::size_t at = 0; at < record.size(); at += chunkSize) {
                const std::size_t n = std::min(chunkSize, record.size() - at);
                chunks.push_back({.record = static_cast<std::uint16_t>(r),
                                  .endOffset = static_cast<std::uint16_t>(at + n),
                                  .data = Bytes(record.begin() + at, record.begin() + at + n)});
            }
            if (spoil)
                spoil(chunks);
            for (const auto& chunk : chunks) port.AddInput(KolvarFrameBytes(chunk));
        } else if (std::sscanf(command.c_str(), "DELETE RECORD %d", &r) == 1) {
            filesOnDiskAtDelete.push_back(m_rig->Files().size());
            if (answerDelete)
                port.AddInput("OK\r\nKLV10>");
        }
    }

    ExchangeRig* m_rig = nullptr;
};

class KolvarExchangeTest : public ::testing::Test {
protected:
    void Run() {
        device.Attach(rig);
        KolvarExchange(rig.params, rig.port, rig.env);
    }
    std::vector<Bytes> SavedFiles() const {
        std::vector<Bytes> out;
        for (const auto& name : rig.Files()) out.push_back(ReadFileBytes(rig.folder / name));
        return out;
    }
    ExchangeRig rig;
    KolvarDevice device;
};

TEST_F(KolvarExchangeTest, RecordsGoFromLastToFirstEachSavedThenDeleted) {
    device.records = {Pattern(300, 1), Pattern(500, 2), Pattern(9000, 3)};
    Run();
    EXPECT_EQ(device.commands, (std::vector<std::string>{
                                   "SET BAUDRATE 57600\r", "GET RECORDS\r", "GET RECSIZE 0\r",
                                   "GET RECSIZE 1\r", "GET RECSIZE 2\r", "DOWNLOAD 2 0 9000\r",
                                   "DELETE RECORD 2\r", "DOWNLOAD 1 0 500\r", "DELETE RECORD 1\r",
                                   "DOWNLOAD 0 0 300\r", "DELETE RECORD 0\r", "EXIT\r"}));
    EXPECT_EQ(device.filesOnDiskAtDelete, (std::vector<std::size_t>{1, 2, 3}));
    EXPECT_EQ(SavedFiles(), (std::vector<Bytes>{BuildKolvarArchive(device.records[2]),
                                                BuildKolvarArchive(device.records[1]),
                                                BuildKolvarArchive(device.records[0])}));
    EXPECT_EQ(
        rig.report.Upper(),
        (std::vector<std::string>{"Kolvar", "!!!", "Считывание записи #3 ...",
                                  "Удаление обработанной записи", "Считывание записи #2 ...",
                                  "Удаление обработанной записи", "Считывание записи #1 ...",
                                  "Удаление обработанной записи", "$03Импорт данных завершен."}));
    rig.ExpectLineRestored();
    const auto calls = rig.port.Calls();
    const auto exit = std::find(calls.begin(), calls.end(), "Write EXIT\r");
    const auto restore = std::find(calls.begin(), calls.end(), "SetSpeed 9600");
    EXPECT_LT(exit, restore);  // the device hears EXIT at the speed it was told
    EXPECT_NE(std::find(calls.begin(), calls.end(), "SetReadTimeouts 500 500"), calls.end());
    // Progress over all bytes: 9000 of 9800 after the first record.
    const auto bars = rig.report.Bars();
    ASSERT_EQ(bars.size(), 4u);  // one per chunk: 8192 + 808, 500, 300
    EXPECT_EQ(bars[1].position, 9000 * 100 / 9800);
    EXPECT_EQ(bars.back().position, 100);
}

TEST_F(KolvarExchangeTest, ChunkedRecordWithoutDelete) {
    rig.params.deleteData = false;
    device.records = {Pattern(300, 1)};
    device.chunkSize = 200;
    device.spoil = [](std::vector<KolvarChunk>& chunks) {
        // An empty chunk in between is harmless.
        chunks.insert(chunks.begin() + 1, {.endOffset = 200, .data = {}});
    };
    Run();
    const auto files = SavedFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].size(), 520u);
    EXPECT_EQ(ReadBe16(&files[0][395]), 123);
    EXPECT_EQ(device.Count("DELETE"), 0);
    EXPECT_FALSE(rig.report.HasUpper("Удаление обработанной записи"));
}

TEST_F(KolvarExchangeTest, NoRecordsOrNoSizes) {
    device.recordCount = "0";
    Run();
    EXPECT_EQ(device.commands,
              (std::vector<std::string>{"SET BAUDRATE 57600\r", "GET RECORDS\r", "EXIT\r"}));
    EXPECT_TRUE(rig.report.HasUpper("$04Ошибка получения числа записей или записей нет"));

    ExchangeRig r;
    KolvarDevice sizeless;
    sizeless.records = {Pattern(300, 1), Pattern(300, 2)};
    sizeless.sizeAnswers[1] = "0";
    sizeless.Attach(r);
    KolvarExchange(r.params, r.port, r.env);
    EXPECT_EQ(sizeless.Count("DOWNLOAD"), 0);
    const auto upper = r.report.Upper();
    EXPECT_EQ(std::vector<std::string>(upper.end() - 3, upper.end()),
              (std::vector<std::string>{"$04Ошибка считывания размера записи.",
                                        "$04Ошибка получения размера записи",
                                        "$03Импорт данных завершен."}));
    r.ExpectLineRestored();
}

TEST_F(KolvarExchangeTest, BadChunksEndTheRecordsWithoutResending) {
    using Spoil = std::function<void(std::vector<KolvarChunk>&)>;
    const std::pair<const char*, Spoil> cases[] = {
        {"header crc", [](auto& c) { c[1].headerCrcDelta = 1; }},
        {"data crc", [](auto& c) { c[1].dataCrcDelta = 1; }},
        {"other record", [](auto& c) { c[1].record = 0; }},
        {"end offset", [](auto& c) { c[1].endOffset += 1; }},
        {"status", [](auto& c) { c[1].status = 3; }},
        {"past the record",
         [](auto& c) {
             c[1].data.resize(200);
             c[1].endOffset = 400;
         }},
        {"over 8192", [](auto& c) { c[1].lengthOverride = 8193; }},
        {"missing", [](auto& c) { c.pop_back(); }},
    };
    for (const auto& [what, spoil] : cases) {
        ExchangeRig r;
        KolvarDevice dev;
        dev.records = {Pattern(300, 1), Pattern(300, 2)};
        dev.chunkSize = 200;
        dev.spoil = spoil;
        dev.Attach(r);
        KolvarExchange(r.params, r.port, r.env);
        EXPECT_TRUE(r.report.HasUpper("$04Ошибка считывания записи")) << what;
        EXPECT_EQ(dev.Count("DOWNLOAD"), 1) << what;
        EXPECT_EQ(dev.Count("DELETE"), 0) << what;
        EXPECT_TRUE(r.Files().empty()) << what;
        EXPECT_EQ(dev.commands.back(), "EXIT\r") << what;
        r.ExpectLineRestored();
    }
}

TEST_F(KolvarExchangeTest, RecordsAnArchiveCannotHoldAreNotDownloaded) {
    for (const char* size : {"176", "65713"}) {
        ExchangeRig r;
        KolvarDevice dev;
        dev.records = {Pattern(300, 1)};
        dev.sizeAnswers[0] = size;
        dev.Attach(r);
        KolvarExchange(r.params, r.port, r.env);
        EXPECT_EQ(dev.Count("DOWNLOAD"), 0) << size;
        EXPECT_TRUE(r.report.HasUpper("$04Ошибка считывания записи")) << size;
    }
}

TEST_F(KolvarExchangeTest, UnansweredDeletionStopsFurtherRecords) {
    device.records = {Pattern(200, 1), Pattern(200, 2)};
    device.answerDelete = false;
    Run();
    EXPECT_EQ(device.Count("DOWNLOAD"), 1);
    EXPECT_EQ(SavedFiles().size(), 1u);  // the saved record stays saved
    EXPECT_TRUE(rig.report.HasUpper("$04Ошибка удаления записи"));
    rig.ExpectLineRestored();
}

// A record whose archive failed to be written stays on the device and the next is saved and
// deleted; one whose name may not be on disk stays too, and no further record is taken.
TEST_F(KolvarExchangeTest, ARecordNotSurelyOnDiskStaysOnTheDevice) {
    struct Case {
        FileCall call;
        int nth;  // the content flush of a file comes first, the flush of the folder second
        std::vector<std::string> deletions;
        std::size_t rawFiles;
        const char* line;
    };
    const Case cases[] = {
        {FileCall::Write, 1, {"DELETE RECORD 0\r"}, 1, "$04Ошибка записи на диск двоичного файла."},
        {FileCall::Flush, 2, {}, 1, "$04Ошибка удаления записи"},
    };
    for (const Case& c : cases) {
        ExchangeRig r;
        KolvarDevice dev;
        dev.records = {Pattern(200, 1), Pattern(200, 2)};
        FailingFiles files;
        files.Fail(c.call, c.nth);
        dev.Attach(r);
        KolvarExchange(r.params, r.port, r.env);
        std::vector<std::string> deletions;
        std::copy_if(dev.commands.begin(), dev.commands.end(), std::back_inserter(deletions),
                     [](const std::string& command) { return command.rfind("DELETE", 0) == 0; });
        EXPECT_EQ(deletions, c.deletions) << c.line;
        EXPECT_EQ(r.Files().size(), c.rawFiles) << c.line;
        EXPECT_TRUE(r.report.HasUpper(c.line));
    }
}

// A record the history knows is deleted without being saved again, as if just imported.
TEST_F(KolvarExchangeTest, AKnownRecordIsDeletedButNotSavedAgain) {
    device.records = {Pattern(200, 1), Pattern(300, 2)};
    MemoryImportHistory history;
    history.Record(std::vector{ArchiveKeyOf(BuildKolvarArchive(device.records[1]))}, rig.report);
    rig.env.history = &history;
    rig.params.importOnce = true;
    Run();
    EXPECT_EQ(SavedFiles(), std::vector<Bytes>{BuildKolvarArchive(device.records[0])});
    EXPECT_EQ(device.Count("DELETE RECORD"), 2);
    const auto upper = rig.report.Upper();
    EXPECT_EQ(upper[upper.size() - 2], "Пропущено ранее импортированных архивов: 1");
}

TEST_F(KolvarExchangeTest, FolderWithoutRoomEndsBeforeAnyDeletion) {
    rig.env.programFolder = rig.folder / "missing";
    device.records = {Pattern(200, 1), Pattern(200, 2)};
    Run();
    EXPECT_TRUE(rig.SaysFolderMissing("$04Ошибка записи на диск двоичного файла."));
    EXPECT_EQ(device.Count("DELETE"), 0);
    EXPECT_EQ(device.Count("DOWNLOAD"), 1);
    rig.ExpectLineRestored();
}

TEST_F(KolvarExchangeTest, WaitsForExitToLeaveThePortButNotForever) {
    device.recordCount = "0";
    rig.port.SetOutputPending({3, 2, 1});
    Run();
    EXPECT_EQ(rig.clock.SleptMs(), 1000 + 3);

    ExchangeRig r;
    KolvarDevice stuck;
    stuck.recordCount = "0";
    stuck.Attach(r);
    r.port.SetOutputPending(std::vector<int>(100000, 1));
    KolvarExchange(r.params, r.port, r.env);
    EXPECT_EQ(r.clock.SleptMs(), 1000 + 5000);
    r.ExpectLineRestored();
}

// A stop request ends the exchange at its next wait: the record in transfer is dropped, a
// record already saved is still deleted, and "EXIT" and the line restore follow.
TEST_F(KolvarExchangeTest, AStopRequestEndsTheExchangeAtItsNextWait) {
    for (const std::string stopAt : {"DOWNLOAD 1", "DELETE RECORD 2"}) {
        SCOPED_TRACE(stopAt);
        ExchangeRig r;
        KolvarDevice device;
        device.records = {Pattern(300, 1), Pattern(400, 2), Pattern(500, 3)};
        device.heard = [&](const std::string& command) {
            if (command.starts_with(stopAt)) {
                r.stop.Request();
            }
        };
        device.Attach(r);
        KolvarExchange(r.params, r.port, r.env);
        EXPECT_EQ(r.Files().size(), 1u);
        EXPECT_EQ(device.Count("DELETE RECORD"), 1);
        EXPECT_EQ(device.commands.back(), "EXIT\r");
        EXPECT_TRUE(r.report.HasUpper("$04Сеанс связи прерван: программа завершает работу."));
        EXPECT_FALSE(r.report.HasUpper("$04Ошибка считывания записи"));
        r.ExpectLineRestored();
    }
}

}  // namespace
}  // namespace zep::test
