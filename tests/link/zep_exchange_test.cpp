// The ZEP exchange on a fake port: every file saved and flushed before it is deleted on the
// adapter, and failures, odd names and unbelievable sizes handled without loss.
#include <gtest/gtest.h>

#include <functional>

#include "link/exchanges.h"
#include "tests/link/exchange_rig.h"
#include "tests/link/link_test_support.h"
#include "tests/support/failing_files.h"

namespace zep::test {
namespace {

struct AdapterFile {
    std::string name;
    Bytes data;
    std::string sizeText;  // the size the header announces; empty = the real one
};

// The adapter's side of the conversation, as far as these tests need it.
class ZepAdapter {
public:
    std::vector<AdapterFile> files;
    bool confirmSpeed = true;
    int silentHeaders = 0;                    // headers not answered
    int badBlocks = 0;                        // data blocks sent with a wrong CRC
    int stutters = 0;                         // "+" that do not move on
    int refusedDeletes = 0;                   // "-" answered with ERROR
    bool endlessHeaders = false;              // "=" answered with a header line that does not end
    std::function<void(char command)> heard;  // sees each command before it is answered
    std::vector<std::string> deleted;
    std::vector<std::size_t> filesOnDiskAtDelete;
    bool lockHeld = false;

    void Attach(ExchangeRig& rig) {
        m_rig = &rig;
        rig.port.SetResponder([this](FakeSerialPort& p, const std::string& w) { OnWrite(p, w); });
        rig.port.SetCallObserver([this](FakeSerialPort& p, const std::string& call) {
            if (call == "Flush 2" && m_okPending) {
                m_okPending = false;  // the adapter confirms at the new speed
                p.AddInput("OK\r\n");
            }
        });
    }

private:
    void OnWrite(FakeSerialPort& port, const std::string& written) {
        const bool here = m_cursor < files.size();
        if (heard) {
            heard(written[0]);
        }
        switch (written[0]) {
            case '6':
                lockHeld = m_rig->lock.IsHeld();
                m_okPending = confirmSpeed;
                break;
            case '=':
                if (silentHeaders > 0) {
                    --silentHeaders;
                } else if (endlessHeaders) {
                    port.AddInput("FILE=" + std::string(100000, 'A'));
                } else if (!here) {
                    port.AddInput("FILE=,0\r\n");
                } else {
                    const auto& f = files[m_cursor];
                    const std::string size =
                        f.sizeText.empty() ? std::to_string(f.data.size()) : f.sizeText;
                    port.AddInput("FILE=" + f.name + "," + size + "\r\n");
                }
                break;
            case '>':
                port.AddInput(ZepBlock(files[m_cursor].data, badBlocks > 0 ? 1 : 0));
                badBlocks -= badBlocks > 0;
                break;
            case '-':
                filesOnDiskAtDelete.push_back(m_rig->Files().size());
                if (refusedDeletes > 0) {
                    --refusedDeletes;
                    port.AddInput("ERROR\r\n");
                    break;
                }
                deleted.push_back(files[m_cursor].name);
                port.AddInput("OK\r\n");
                break;
            case '+':
                if (stutters > 0) {
                    --stutters;
                } else {
                    ++m_cursor;
                }
                break;
        }
    }

    ExchangeRig* m_rig = nullptr;
    std::size_t m_cursor = 0;
    bool m_okPending = false;
};

class ZepExchangeTest : public ::testing::Test {
protected:
    void Run() {
        adapter.Attach(rig);
        ZepExchange(rig.params, rig.port, rig.env);
    }
    ExchangeRig rig;
    ZepAdapter adapter;
};

TEST_F(ZepExchangeTest, SavesEachFileBeforeDeletingItOnTheAdapter) {
    const Bytes a = Pattern(1000, 1), b = Pattern(70, 2);
    adapter.files = {{"A.zep", a, ""}, {"B.zvo", b, ""}};
    Run();
    EXPECT_EQ(rig.port.Written(), "6=>-+=>-+=x");
    EXPECT_EQ(rig.FileWith(".bia"), a);
    EXPECT_EQ(rig.FileWith(".bil"), b);
    const auto files = rig.Files();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].size(), 18u);  // 14-digit stamp + extension
    EXPECT_EQ(adapter.deleted, (std::vector<std::string>{"A.zep", "B.zvo"}));
    EXPECT_EQ(adapter.filesOnDiskAtDelete, (std::vector<std::size_t>{1, 2}));
    EXPECT_TRUE(adapter.lockHeld);
    EXPECT_EQ(rig.report.Upper(),
              (std::vector<std::string>{"Чтение файла 'A.zep' ...", "Удаление файла 'A.zep'",
                                        "Чтение файла 'B.zvo' ...", "Удаление файла 'B.zvo'",
                                        "$03Импорт данных завершен."}));
    rig.ExpectLineRestored();
    // The exchange ran at 57600 with (2000, 2000) and put both back.
    const auto calls = rig.port.Calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "SetSpeed 57600"), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "SetReadTimeouts 2000 2000"), calls.end());
}

// A file the disk could not store is never deleted on the adapter.
TEST_F(ZepExchangeTest, NothingIsDeletedOnTheAdapterAfterAFailedFlush) {
    adapter.files = {{"A.zep", Pattern(20, 1), ""}, {"B.zvo", Pattern(30, 2), ""}};
    FailingFiles files;
    files.Fail(FileCall::Flush, 0);
    Run();
    EXPECT_TRUE(adapter.deleted.empty());
    EXPECT_EQ(rig.port.Written().find('-'), std::string::npos);
    EXPECT_TRUE(rig.Files().empty());
}

// A file whose raw file failed to be written, or whose name may not be on disk, stays on the
// adapter; the next file is saved and deleted all the same.
TEST_F(ZepExchangeTest, AFileNotSurelyOnDiskStaysOnTheAdapterAndTheNextIsSaved) {
    struct Case {
        FileCall call;
        int nth;  // the content flush of a file comes first, the flush of the folder second
        std::size_t rawFiles;
        const char* line;
    };
    for (const Case& c : {Case{FileCall::Write, 1, 1, "$04Ошибка записи на диск двоичного файла"},
                          Case{FileCall::Flush, 2, 2, "$04Ошибка удаления файла 'A.zep' с ZEP"}}) {
        ExchangeRig r;
        ZepAdapter device;
        device.files = {{"A.zep", Pattern(20, 1), ""}, {"B.zep", Pattern(30, 2), ""}};
        FailingFiles files;
        files.Fail(c.call, c.nth);
        device.Attach(r);
        ZepExchange(r.params, r.port, r.env);
        EXPECT_EQ(device.deleted, (std::vector<std::string>{"B.zep"})) << c.line;
        EXPECT_EQ(r.Files().size(), c.rawFiles) << c.line;
        EXPECT_TRUE(r.report.HasUpper(c.line));
    }
}

// A file the history knows is not saved again but deleted as if just imported; a new one is
// saved and recorded, and only once its name is on disk. ImportOnce off takes every offer.
TEST_F(ZepExchangeTest, TheHistoryPassesOverKnownFilesAndRecordsNewOnesOnceOnDisk) {
    const Bytes known = Pattern(20, 1), fresh = Pattern(30, 2), unflushed = Pattern(40, 3);
    MemoryImportHistory history;
    history.Record(std::vector{ArchiveKeyOf(known)}, rig.report);
    rig.env.history = &history;
    rig.params.importOnce = true;
    adapter.files = {{"K.zep", known, ""}, {"N.zep", fresh, ""}, {"U.zep", unflushed, ""}};
    FailingFiles files;
    files.Fail(FileCall::Flush, 4);  // N: content, folder, then U: content, folder
    Run();
    EXPECT_EQ(rig.Files().size(), 2u);
    EXPECT_EQ(adapter.deleted, (std::vector<std::string>{"K.zep", "N.zep"}));
    EXPECT_TRUE(history.Contains(ArchiveKeyOf(fresh)));
    EXPECT_FALSE(history.Contains(ArchiveKeyOf(unflushed)));
    const auto upper = rig.report.Upper();
    ASSERT_GE(upper.size(), 2u);
    EXPECT_EQ(upper[upper.size() - 2], "Пропущено ранее импортированных архивов: 1");

    ExchangeRig every;
    ZepAdapter again;
    again.files = {{"K.zep", known, ""}};
    every.env.history = &history;
    again.Attach(every);
    ZepExchange(every.params, every.port, every.env);
    EXPECT_EQ(every.FileWith(".bia"), known);
    EXPECT_FALSE(every.report.HasUpper("Пропущено ранее импортированных архивов: 1"));
}

TEST_F(ZepExchangeTest, ADeletionRefusedFourTimesIsReportedAndTheFileKept) {
    const Bytes a = Pattern(20, 1), b = Pattern(30, 2);
    adapter.files = {{"A.zep", a, ""}, {"B.zep", b, ""}};
    adapter.refusedDeletes = 4 + 3;  // A: all four tries refused; B: confirmed at the fourth
    Run();
    EXPECT_EQ(rig.port.Written(), "6=>----+=>----+=x");
    EXPECT_EQ(adapter.deleted, (std::vector<std::string>{"B.zep"}));
    EXPECT_EQ(rig.Files().size(), 2u);
    EXPECT_TRUE(rig.report.HasUpper("$04Ошибка удаления файла 'A.zep' с ZEP"));
    EXPECT_FALSE(rig.report.HasUpper("$04Ошибка удаления файла 'B.zep' с ZEP"));
}

TEST_F(ZepExchangeTest, WithoutDeleteOddNamesAreSkippedAndRepeatsNotRequestedAgain) {
    rig.params.deleteData = false;
    const Bytes c = Pattern(10, 3);
    adapter.files = {{"REPORT.TXT", Pattern(5, 1), ""}, {"C.zep", c, ""}};
    adapter.stutters = 0;
    Run();
    EXPECT_EQ(rig.port.Written(), "6=+=>+=x");
    EXPECT_EQ(rig.FileWith(".bia"), c);
    EXPECT_FALSE(rig.report.HasUpper("Удаление файла 'C.zep'"));

    ExchangeRig again;
    ZepAdapter stuttering;
    stuttering.files = {{"C.zep", c, ""}};
    stuttering.stutters = 1;  // offers C.zep twice in a row
    again.params.deleteData = false;
    stuttering.Attach(again);
    ZepExchange(again.params, again.port, again.env);
    EXPECT_EQ(again.port.Written(), "6=>+=+=x");
    EXPECT_EQ(again.Files().size(), 1u);
}

TEST_F(ZepExchangeTest, EmptyNameEndsAtOnceAndEmptyFileGivesEmptyRawFile) {
    Run();
    EXPECT_EQ(rig.port.Written(), "6=x");
    EXPECT_TRUE(rig.Files().empty());

    ExchangeRig second;
    ZepAdapter adapter2;
    adapter2.files = {{"E.zep", {}, ""}};
    adapter2.Attach(second);
    ZepExchange(second.params, second.port, second.env);
    EXPECT_EQ(second.port.Written(), "6=>-+=x");
    EXPECT_EQ(second.FileWith(".bia"), Bytes{});
}

TEST_F(ZepExchangeTest, HeaderAndDataFailuresShareOneBudgetPerPass) {
    // No header failure: 6 data requests; one header failure first: 5.
    for (int silent : {0, 1}) {
        ExchangeRig r;
        ZepAdapter device;
        device.files = {{"A.zep", Pattern(20, 1), ""}};
        device.silentHeaders = silent;
        device.badBlocks = 100;
        device.Attach(r);
        ZepExchange(r.params, r.port, r.env);
        const std::string written = r.port.Written();
        EXPECT_EQ(std::count(written.begin(), written.end(), '>'), 6 - silent);
        EXPECT_EQ(written.find('-'), std::string::npos);
        EXPECT_TRUE(r.Files().empty());
        const auto upper = r.report.Upper();
        EXPECT_EQ(std::count(upper.begin(), upper.end(), "$04Ошибка чтения файла с ZEP"), 1);
        EXPECT_EQ(written.substr(written.size() - 3), "+=x");  // the next pass finds no file
        r.ExpectLineRestored();
    }
    ExchangeRig r;
    ZepAdapter mute;
    mute.silentHeaders = 5;
    mute.Attach(r);
    ZepExchange(r.params, r.port, r.env);
    EXPECT_EQ(r.port.Written(), "6=====x");
}

TEST_F(ZepExchangeTest, SpeedProblemsAreReportedAndTheLineIsPutBack) {
    adapter.confirmSpeed = false;
    adapter.files = {{"A.zep", Pattern(20, 1), ""}};
    Run();
    EXPECT_EQ(rig.port.Written(), "6x");
    EXPECT_TRUE(rig.report.HasUpper("$04Ошибка переключения скорости ZEP"));
    rig.ExpectLineRestored();

    for (auto op : {FakeSerialPort::Op::SetSpeed, FakeSerialPort::Op::SetReadTimeouts}) {
        ExchangeRig r;
        r.port.Fail(op, 1);
        ZepAdapter device;
        device.Attach(r);
        ZepExchange(r.params, r.port, r.env);
        EXPECT_EQ(r.port.Written(), "6x");
        EXPECT_EQ(r.report.Upper(),
                  (std::vector<std::string>{"$04Ошибка установки скорости COM-порта 57600 бит/сек.",
                                            "$03Импорт данных завершен."}));
        EXPECT_EQ(r.port.Speed(), 9600);
    }

    ExchangeRig r;
    ZepAdapter device;
    device.Attach(r);
    r.port.SetCallObserver([](FakeSerialPort& p, const std::string& call) {
        if (call == "SetSpeed 57600")
            p.Fail(FakeSerialPort::Op::SetSpeed, 1);
        if (call == "Flush 2" && p.Written() == "6")
            p.AddInput("OK\r\n");
    });
    ZepExchange(r.params, r.port, r.env);
    EXPECT_EQ(r.report.Upper(),
              (std::vector<std::string>{"$04Ошибка установки скорости COM-порта 9600 бит/сек.",
                                        "$03Импорт данных завершен."}));
}

TEST_F(ZepExchangeTest, LongNamesStayWholeAndWindows1251NamesAreLoggedReadably) {
    adapter.files = {{"METER_ARCHIVE_0001.zep", Pattern(5, 1), ""},
                     {"METER_ARCHIVE_0002.zep", Pattern(6, 2), ""},
                     {"\xC0\xC1.zvo", Pattern(7, 3), ""}};
    rig.params.deleteData = false;
    Run();
    EXPECT_EQ(rig.Files().size(), 3u);
    EXPECT_TRUE(rig.report.HasUpper("Чтение файла 'METER_ARCHIVE_0002.zep' ..."));
    EXPECT_TRUE(rig.report.HasUpper("Чтение файла 'АБ.zvo' ..."));
}

TEST_F(ZepExchangeTest, UnbelievableSizesAreNeitherAllocatedNorRequested) {
    const Bytes good = Pattern(9, 4);
    adapter.files = {{"H.zep", {}, "99999999999"}, {"N.zep", {}, "-1"}, {"G.zep", good, ""}};
    Run();
    EXPECT_EQ(rig.port.Written(), "6=+=+=>-+=x");
    EXPECT_EQ(rig.FileWith(".bia"), good);
    const auto upper = rig.report.Upper();
    EXPECT_EQ(std::count(upper.begin(), upper.end(), "$04Недостаточно памяти для импорта данных"),
              2);
}

TEST_F(ZepExchangeTest, FolderWithoutRoomForRawFilesEndsTheExchange) {
    rig.env.programFolder = rig.folder.path() / "missing";
    adapter.files = {{"A.zep", Pattern(5, 1), ""}, {"B.zep", Pattern(5, 2), ""}};
    Run();
    EXPECT_EQ(rig.port.Written(), "6=>x");
    EXPECT_TRUE(adapter.deleted.empty());
    EXPECT_TRUE(rig.SaysFolderMissing("$04Ошибка записи на диск двоичного файла"));
    rig.ExpectLineRestored();
}

// An adapter that ignores "+" offers its file for ever; a header line that never ends is
// no header. Both end the session, the file saved once.
TEST_F(ZepExchangeTest, AnAdapterThatNeverMovesOnEndsTheSession) {
    rig.params.deleteData = false;
    const Bytes c = Pattern(10, 3);
    adapter.files = {{"C.zep", c, ""}};
    adapter.stutters = 1000;
    Run();
    EXPECT_EQ(rig.FileWith(".bia"), c);
    const std::string written = rig.port.Written();
    EXPECT_EQ(std::count(written.begin(), written.end(), '>'), 1);
    EXPECT_LT(std::count(written.begin(), written.end(), '='), 10);
    EXPECT_TRUE(rig.report.HasUpper(
        "$04ZEP не переходит к следующему файлу после 'C.zep': сеанс связи прерван."));
    rig.ExpectLineRestored();

    ExchangeRig r;
    ZepAdapter endless;
    endless.endlessHeaders = true;
    endless.Attach(r);
    ZepExchange(r.params, r.port, r.env);
    EXPECT_EQ(r.port.Written().back(), 'x');
    EXPECT_TRUE(r.Files().empty());
    r.ExpectLineRestored();
}

// A stop request ends the session at its next wait: the file in transfer is not saved (so not
// deleted); the answer to the deletion of a file already saved is still taken.
TEST_F(ZepExchangeTest, AStopRequestEndsTheSessionAtItsNextWait) {
    adapter.files = {{"A.zep", Pattern(20, 1), ""}, {"B.zep", Pattern(30, 2), ""}};
    adapter.heard = [this](char command) {
        if (command == '>') {
            rig.stop.Request();
        }
    };
    Run();
    EXPECT_TRUE(rig.Files().empty());
    EXPECT_TRUE(adapter.deleted.empty());
    EXPECT_EQ(rig.port.Written().back(), 'x');
    EXPECT_TRUE(rig.report.HasUpper("$04Сеанс связи прерван: программа завершает работу."));
    EXPECT_FALSE(rig.report.HasUpper("$04Ошибка чтения файла с ZEP"));
    rig.ExpectLineRestored();

    ExchangeRig r;
    ZepAdapter device;
    device.files = {{"A.zep", Pattern(20, 1), ""}, {"B.zep", Pattern(30, 2), ""}};
    device.heard = [&r](char command) {
        if (command == '-') {
            r.stop.Request();
        }
    };
    device.Attach(r);
    ZepExchange(r.params, r.port, r.env);
    EXPECT_EQ(r.Files().size(), 1u);
    EXPECT_EQ(device.deleted, (std::vector<std::string>{"A.zep"}));
    const std::string written = r.port.Written();
    EXPECT_EQ(std::count(written.begin(), written.end(), '>'), 1);
    r.ExpectLineRestored();
}

}  // namespace
}  // namespace zep::test
