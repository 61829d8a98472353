// The Tessal exchange on a fake port: archives gathered, saved and only then marked, and bad
// frames, sizes, counts and a full folder ending it without losing an archive.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "link/exchanges.h"
#include "link/tessal_routines.h"
#include "tests/link/exchange_rig.h"
#include "tests/link/link_test_support.h"
#include "tests/support/failing_files.h"

namespace zep::test {
namespace {

// A volume's data: H, H bytes of header strings, then the content.
Bytes Volume(const std::string& header, const Bytes& content) {
    Bytes out;
    PutBe16(out, static_cast<std::uint16_t>(header.size()));
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

// The collector's side: a database of archives, each a run of volumes (records).
class Collector {
public:
    std::vector<std::vector<Bytes>> archives;
    std::string version = "0.97";
    std::string records;  // the "Records=" value; empty = the real count
    std::string volumes;  // the "Volumes=" value; empty = the real count
    int badFrames = 0;
    bool rejectMarks = false;
    int sizeDelta = 0;  // added to every announced volume size but the first
    std::vector<std::string> commands;
    std::vector<int> marked;
    std::vector<std::size_t> filesOnDiskAtMark;
    std::function<void(const std::string& command)> heard;  // before the answer

    void Attach(ExchangeRig& rig) {
        m_rig = &rig;
        rig.port.SetResponder([this](FakeSerialPort& p, const std::string& w) { OnWrite(p, w); });
    }

private:
    int RecordCount() const {
        int n = 0;
        for (const auto& a : archives) n += static_cast<int>(a.size());
        return n;
    }
    // Archive and volume of record n.
    std::pair<std::size_t, std::size_t> Locate(int n) const {
        for (std::size_t a = 0; a < archives.size(); ++a) {
            if (n < static_cast<int>(archives[a].size()))
                return {a, static_cast<std::size_t>(n)};
            n -= static_cast<int>(archives[a].size());
        }
        return {archives.size(), 0};
    }
    void Reply(FakeSerialPort& port, const std::string& text) { port.AddInput(text + "\r\nCL>"); }

    void OnWrite(FakeSerialPort& port, const std::string& command) {
        commands.push_back(command);
        if (heard) {
            heard(command);
        }
        int a = 0, i = 0;
        if (command == "set baudrate 57600 5\r\n") {
            Reply(port, "BaudRate=57600");
        } else if (command == "version\r\n") {
            Reply(port, "Version=" + version);
        } else if (command == "get records\r\n") {
            Reply(port, "Records=" + (records.empty() ? std::to_string(RecordCount()) : records));
        } else if (std::sscanf(command.c_str(), "get volumes %d", &a) == 1) {
            const auto size = archives[Locate(a).first].size();
            Reply(port, "Volumes=" + (volumes.empty() ? std::to_string(size) : volumes));
        } else if (std::sscanf(command.c_str(), "get recsize %d", &a) == 1) {
            const auto [archive, volume] = Locate(a);
            const int delta = a == 0 ? 0 : sizeDelta;
            Reply(port, "RecSize=" + std::to_string(archives[archive][volume].size() + 4 + delta));
        } else if (std::sscanf(command.c_str(), "download volume %d %d", &a, &i) == 2) {
            const Bytes& data = archives[Locate(a).first][static_cast<std::size_t>(i)];
            port.AddInput("\r\n");
            port.AddInput(TessalFrame(data, badFrames > 0 ? 1 : 0));
            badFrames -= badFrames > 0;
        } else if (std::sscanf(command.c_str(), "delete archive %d 1", &a) == 1) {
            marked.push_back(a);
            filesOnDiskAtMark.push_back(m_rig->Files().size());
            Reply(port, rejectMarks ? "Error" : "OK");
        }
    }

    ExchangeRig* m_rig = nullptr;
};

class TessalExchangeTest : public ::testing::Test {
protected:
    void Run() {
        collector.Attach(rig);
        TessalExchange(rig.params, rig.port, rig.env);
    }
    std::vector<Bytes> SavedFiles() const {
        std::vector<Bytes> out;
        for (const auto& name : rig.Files()) out.push_back(ReadFileBytes(rig.folder / name));
        return out;
    }
    int Count(const std::string& command) const {
        return static_cast<int>(
            std::count(collector.commands.begin(), collector.commands.end(), command));
    }
    ExchangeRig rig;
    Collector collector;
};

TEST_F(TessalExchangeTest, ArchivesAreGatheredSavedAndThenMarked) {
    const std::string header("N\0T\0V\0S\0X\0", 10);
    const Bytes one = Volume(header, Pattern(500, 1));
    const Bytes first = Volume(header, Pattern(300, 2));
    const Bytes second = Volume(header, Pattern(200, 3));  // H = 10: data from offset 12 count
    collector.archives = {{one}, {first, second}};
    Run();
    Bytes expected2 = first;
    expected2.insert(expected2.end(), second.begin() + 12, second.end());
    EXPECT_EQ(SavedFiles(), (std::vector<Bytes>{one, expected2}));
    EXPECT_EQ(
        collector.commands,
        (std::vector<std::string>{
            "set baudrate 57600 5\r\n", "version\r\n", "get records\r\n", "get volumes 0\r\n",
            "get recsize 0\r\n", "download volume 0 0\r\n", "delete archive 0 1\r\n",
            "get volumes 1\r\n", "get recsize 1\r\n", "download volume 1 0\r\n",
            "get recsize 2\r\n", "download volume 1 1\r\n", "delete archive 1 1\r\n", "exit\r\n"}));
    EXPECT_EQ(collector.filesOnDiskAtMark, (std::vector<std::size_t>{1, 2}));
    EXPECT_EQ(rig.report.Upper(),
              (std::vector<std::string>{"Считывание архива #1 ...", "Считывание архива #2 ...",
                                        "$03Импорт данных завершен."}));
    rig.ExpectLineRestored();
    const auto bars = rig.report.Bars();
    ASSERT_FALSE(bars.empty());
    EXPECT_LE(bars.back().position, 100);
    EXPECT_GE(bars.back().position, 66);  // the last volume runs from 66 to 100 percent
}

TEST_F(TessalExchangeTest, VersionDecidesAcceptanceAndHeaderFilling) {
    // Strings "N", "", "T", "V", "S", "X": the empty second string becomes "?" before 0.96.
    const std::string header("N\0\0T\0V\0S\0X\0", 11);
    const Bytes volume = Volume(header, Pattern(40, 1));
    Bytes filled = volume;
    filled[4] = '?';
    const struct {
        const char* version;
        std::vector<Bytes> files;
    } cases[] = {{"0.95", {filled}}, {"0.96", {volume}}, {"0.55", {filled}}, {"0.54", {}}};
    for (const auto& c : cases) {
        ExchangeRig r;
        Collector device;
        device.archives = {{volume}};
        device.version = c.version;
        device.Attach(r);
        TessalExchange(r.params, r.port, r.env);
        std::vector<Bytes> files;
        for (const auto& name : r.Files()) files.push_back(ReadFileBytes(r.folder / name));
        EXPECT_EQ(files, c.files) << c.version;
        EXPECT_EQ(r.report.HasUpper("$04Устаревшая версия 'Tessal', обновите программу."),
                  c.files.empty())
            << c.version;
        EXPECT_EQ(device.commands.back(), "exit\r\n");
        r.ExpectLineRestored();
    }
}

TEST_F(TessalExchangeTest, EmptyOrNegativeDatabase) {
    collector.records = "0";
    Run();
    EXPECT_EQ(rig.report.Upper(),
              (std::vector<std::string>{"$04Данные не считаны, база данных в ZEP пуста.",
                                        "$03Импорт данных завершен."}));
    ExchangeRig r;
    Collector negative;
    negative.records = "-2";
    negative.Attach(r);
    TessalExchange(r.params, r.port, r.env);
    EXPECT_EQ(r.report.Upper(), (std::vector<std::string>{"$03Импорт данных завершен."}));
    EXPECT_TRUE(r.Files().empty());
}

TEST_F(TessalExchangeTest, BadFramesAreResentThreeTimesThenTheExchangeEnds) {
    collector.archives = {{Volume("H", Pattern(50, 1))}, {Volume("H", Pattern(50, 2))}};
    collector.badFrames = 3;
    Run();
    EXPECT_EQ(Count("download volume 0 0\r\n"), 3);
    EXPECT_EQ(Count("get volumes 1\r\n"), 0);
    EXPECT_TRUE(collector.marked.empty());
    EXPECT_TRUE(rig.Files().empty());
    EXPECT_TRUE(rig.report.HasUpper("$04Ошибка считывания архивного тома."));
    rig.ExpectLineRestored();
}

TEST_F(TessalExchangeTest, RejectedMarkingIsLoggedAndTheNextArchiveFollows) {
    collector.archives = {{Volume("H", Pattern(50, 1))}, {Volume("H", Pattern(50, 2))}};
    collector.rejectMarks = true;
    Run();
    EXPECT_EQ(Count("delete archive 0 1\r\n"), 3);
    EXPECT_EQ(Count("delete archive 1 1\r\n"), 3);
    EXPECT_EQ(SavedFiles().size(), 2u);
    const auto upper = rig.report.Upper();
    EXPECT_EQ(std::count(upper.begin(), upper.end(), "$04Ошибка маркирования считанного архива."),
              2);
}

// An archive whose raw file failed to be written, or whose name may not be on disk, stays
// unmarked on the collector; the next archive is saved and marked all the same.
TEST_F(TessalExchangeTest, AnArchiveNotSurelyOnDiskStaysUnmarkedAndTheNextIsSaved) {
    const std::string header("N\0T\0V\0S\0X\0", 10);
    struct Case {
        FileCall call;
        int nth;  // the content flush of a file comes first, the flush of the folder second
        std::size_t rawFiles;
        const char* line;
    };
    for (const Case& c :
         {Case{FileCall::Write, 1, 1, "$04Ошибка записи на диск двоичного файла."},
          Case{FileCall::Flush, 2, 2, "$04Ошибка маркирования считанного архива."}}) {
        ExchangeRig r;
        Collector device;
        device.archives = {{Volume(header, Pattern(50, 1))}, {Volume(header, Pattern(60, 2))}};
        FailingFiles files;
        files.Fail(c.call, c.nth);
        device.Attach(r);
        TessalExchange(r.params, r.port, r.env);
        EXPECT_EQ(device.marked, (std::vector<int>{1})) << c.line;
        EXPECT_EQ(r.Files().size(), c.rawFiles) << c.line;
        EXPECT_TRUE(r.report.HasUpper(c.line));
    }
}

// An archive the history knows is marked without being saved again, as if just imported.
TEST_F(TessalExchangeTest, AKnownArchiveIsMarkedButNotSavedAgain) {
    const std::string header("N\0T\0V\0S\0X\0", 10);
    const Bytes known = Volume(header, Pattern(50, 1)), fresh = Volume(header, Pattern(60, 2));
    MemoryImportHistory history;
    history.Record(std::vector{ArchiveKeyOf(known)}, rig.report);
    rig.env.history = &history;
    rig.params.importOnce = true;
    collector.archives = {{known}, {fresh}};
    Run();
    EXPECT_EQ(SavedFiles(), std::vector<Bytes>{fresh});
    EXPECT_EQ(collector.marked, (std::vector<int>{0, 1}));
    EXPECT_TRUE(history.Contains(ArchiveKeyOf(fresh)));
    const auto upper = rig.report.Upper();
    EXPECT_EQ(upper[upper.size() - 2], "Пропущено ранее импортированных архивов: 1");
}

TEST_F(TessalExchangeTest, SizesThatDoNotFitTheReceivedDataAreVolumeErrors) {
    // Announced one byte more than arrived; or less than the part skipped of volume 1.
    for (int delta : {1, -(12 + 50 + 1)}) {
        ExchangeRig r;
        Collector device;
        device.archives = {{Volume(std::string(10, 'h'), Pattern(60, 1)),
                            Volume(std::string(10, 'h'), Pattern(50, 2))}};
        device.sizeDelta = delta;
        device.Attach(r);
        TessalExchange(r.params, r.port, r.env);
        EXPECT_TRUE(r.Files().empty()) << delta;
        EXPECT_TRUE(r.report.HasUpper("$04Ошибка считывания архивного тома.")) << delta;
        EXPECT_TRUE(device.marked.empty());
    }
}

TEST_F(TessalExchangeTest, VolumeCountsThatCannotBeHeldAreMemoryErrors) {
    for (const char* volumes : {"0", "-1", "100000"}) {
        ExchangeRig r;
        Collector device;
        device.archives = {{Volume("H", Pattern(5, 1))}};
        device.volumes = volumes;
        device.Attach(r);
        TessalExchange(r.params, r.port, r.env);
        EXPECT_TRUE(r.report.HasUpper("$04Недостаточно памяти для импорта данных")) << volumes;
        EXPECT_EQ(device.commands.back(), "exit\r\n");
    }
}

TEST_F(TessalExchangeTest, FolderWithoutRoomEndsTheExchangeWithoutMarking) {
    rig.env.programFolder = rig.folder / "missing";
    collector.archives = {{Volume("H", Pattern(5, 1))}, {Volume("H", Pattern(5, 2))}};
    Run();
    EXPECT_TRUE(rig.SaysFolderMissing("$04Ошибка записи на диск двоичного файла."));
    EXPECT_TRUE(collector.marked.empty());
    EXPECT_EQ(Count("get volumes 1\r\n"), 0);
    rig.ExpectLineRestored();
}

TEST_F(TessalExchangeTest, ClosingStepRestoresTheLineOfTheLastExchangeOnly) {
    TessalProcessState() = TessalState{};
    TessalClose(rig.port, rig.report, rig.clock);
    EXPECT_TRUE(rig.port.Calls().empty());  // nothing recorded: nothing to touch

    rig.port.Fail(FakeSerialPort::Op::SetSpeed, 1);  // 57600 refused
    Run();
    EXPECT_EQ(rig.report.Upper(),
              (std::vector<std::string>{"$04Ошибка установки скорости COM-порта 57600 бит/сек.",
                                        "$03Импорт данных завершен."}));
    EXPECT_EQ(rig.port.Written(), "set baudrate 57600 5\r\nexit\r\n");

    // At program end: the recorded port and speed, even when the line has changed since.
    rig.port.SetSpeed(115200);
    rig.port.ClearWritten();
    rig.report.Clear();
    TessalClose(rig.port, rig.report, rig.clock);
    EXPECT_EQ(rig.port.Written(), "exit\r\n");
    EXPECT_EQ(rig.port.Speed(), 9600);
    rig.port.Fail(FakeSerialPort::Op::SetSpeed, 1);
    TessalClose(rig.port, rig.report, rig.clock);
    EXPECT_EQ(rig.report.Upper(),
              (std::vector<std::string>{"$04Ошибка установки скорости COM-порта 9600 бит/сек."}));
}

// A stop request ends the exchange at its next wait: the volume in transfer is dropped, an
// archive already saved still gets its mark, and the closing step runs.
TEST_F(TessalExchangeTest, AStopRequestEndsTheExchangeAtItsNextWait) {
    const std::string header("N\0T\0V\0S\0X\0", 10);
    for (const std::string stopAt : {"download volume 1", "delete archive 0"}) {
        SCOPED_TRACE(stopAt);
        ExchangeRig r;
        Collector device;
        device.archives = {{Volume(header, Pattern(50, 1))}, {Volume(header, Pattern(60, 2))}};
        device.heard = [&](const std::string& command) {
            if (command.starts_with(stopAt)) {
                r.stop.Request();
            }
        };
        device.Attach(r);
        TessalExchange(r.params, r.port, r.env);
        EXPECT_EQ(r.Files().size(), 1u);
        EXPECT_EQ(device.marked, (std::vector<int>{0}));
        EXPECT_EQ(device.commands.back(), "exit\r\n");
        EXPECT_TRUE(r.report.HasUpper("$04Сеанс связи прерван: программа завершает работу."));
        EXPECT_FALSE(r.report.HasUpper("$04Ошибка считывания архивного тома."));
        r.ExpectLineRestored();
    }
}

}  // namespace
}  // namespace zep::test
