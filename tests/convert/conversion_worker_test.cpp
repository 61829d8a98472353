// The conversion worker over a real program folder: raw files converted, then deleted or kept
// under a label, never converted twice and never lost when a disk or a name fails.
#include "convert/conversion_worker.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "convert/printer_conversion.h"
#include "platform/publish_file.h"
#include "tests/convert/conversion_test_base.h"
#include "tests/support/failing_files.h"

namespace zep::test {
namespace {

namespace fs = std::filesystem;

const std::string kHeader = "Type=M1\nSerial=123\nVirtual=2\nVname=Flat\n";

// A raw file kept under its name and a lone ".". Windows drops a trailing dot from every file
// name, so there the rename moves on to the first numbered name, which is out of the pattern too.
std::string WithLoneDot(const std::string& name) {
#if GTEST_OS_WINDOWS
    return name + ".~1";
#else
    return name + ".";
#endif
}

// Remembers the busy flag as it was at each bar-2 report.
class BusyWatchingReport : public RecordingReport {
public:
    explicit BusyWatchingReport(const std::atomic<int>& busy) : m_busy(busy) {}
    void SetBar2(int position, std::optional<std::string> caption) override {
        {
            std::lock_guard lock(m_mutex);
            m_busyAtCaption.push_back({caption.value_or("<none>"), m_busy.load()});
        }
        if (onCaption && caption) {
            onCaption(*caption);
        }
        RecordingReport::SetBar2(position, std::move(caption));
    }
    std::function<void(const std::string&)> onCaption;
    std::vector<std::pair<std::string, int>> BusyAtCaption() const {
        std::lock_guard lock(m_mutex);
        return m_busyAtCaption;
    }

private:
    const std::atomic<int>& m_busy;
    mutable std::mutex m_mutex;
    std::vector<std::pair<std::string, int>> m_busyAtCaption;
};

class ConversionWorkerTest : public ConversionTestBase {
protected:
    std::unique_ptr<ConversionWorker> MakeWorker(const std::string& importValue,
                                                 const std::string& installTo = {},
                                                 ImportHistory* history = nullptr) {
        return std::make_unique<ConversionWorker>(
            ConversionWorker::Config{raw.path(), setup.Values("", importValue, installTo), watched,
                                     calls, busy, saveBin, clock, history});
    }
    std::unique_ptr<ConversionWorker> MakeWorker() { return MakeWorker(import.path().string()); }
    // A raw file is taken once it has stayed unchanged for a whole pass: one pass finds the
    // files, the next one handles them.
    static bool FindThenRun(ConversionWorker& worker) {
        return worker.RunPass() && worker.RunPass();
    }

    std::atomic<int> busy{0};
    std::atomic<bool> saveBin{false};
    BusyWatchingReport watched{busy};
    DispatchSetup setup;
};

TEST_F(ConversionWorkerTest, WithoutAnImportFolderTheWorkerSaysSoOnceAndEnds) {
    WriteRaw("a.bia", MeterArchive(kHeader, {}));
    auto worker = MakeWorker("");
    EXPECT_FALSE(worker->RunPass());
    EXPECT_FALSE(worker->RunPass());
    EXPECT_EQ(watched.Upper(), std::vector<std::string>{"$04CNV: Не указан каталог импорта."});
    EXPECT_EQ(ListFiles(raw.path()), std::vector<std::string>{"a.bia"});

    // The same with the thread: it ends by itself after the line.
    watched.Clear();
    auto threaded = MakeWorker("");
    threaded->Start();
    threaded->Stop();
    EXPECT_EQ(watched.Upper(), std::vector<std::string>{"$04CNV: Не указан каталог импорта."});
    EXPECT_EQ(busy.load(), 0);
    EXPECT_EQ(ListFiles(raw.path()), std::vector<std::string>{"a.bia"});
}

// A configuration file saved as UTF-16 reads as missing: the line of the missing import folder
// is followed by one naming the file; the Zuvo file's gets a line of its own, since the printer
// protocols would otherwise go to the import folder without a word.
TEST_F(ConversionWorkerTest, ConfigurationFilesSavedAsUtf16AreNamed) {
    const fs::path velmora = import / "Velmora.conf";
    const fs::path zuvo = import / "Zuvo.conf";
    setup.foreign = {{"Velmora", velmora}, {"Zuvo", zuvo}};
    EXPECT_FALSE(MakeWorker("")->RunPass());
    EXPECT_EQ(watched.Upper(),
              (std::vector<std::string>{"$04CNV: Не указан каталог импорта.", Utf16Line(velmora)}));
    watched.Clear();
    EXPECT_TRUE(MakeWorker()->RunPass());
    EXPECT_EQ(watched.Upper(), std::vector<std::string>{Utf16Line(zuvo)});
}

TEST_F(ConversionWorkerTest, ConvertedRawFilesAreDeletedOrKeptUnderTheirLabel) {
    WriteRaw("20240101120000.bia", MeterArchive(kHeader, {}));
    auto worker = MakeWorker();
    EXPECT_TRUE(FindThenRun(*worker));
    EXPECT_TRUE(ListFiles(raw.path()).empty());
    EXPECT_EQ(ImportFiles(), std::vector<std::string>{Stamp() + "_0.imp"});

    saveBin = true;
    WriteRaw("20240101120001.bia", MeterArchive(kHeader, {}));
    EXPECT_TRUE(FindThenRun(*worker));
    EXPECT_EQ(ListFiles(raw.path()), std::vector<std::string>{"20240101120001.bia.M1_123_2"});
    EXPECT_EQ(ImportFiles().size(), 2u);
}

TEST_F(ConversionWorkerTest, FailedConversionsKeepTheRawFileOutOfThePattern) {
    Bytes broken = MeterArchive(kHeader, {});
    broken[0] = 'X';
    WriteRaw("bad.bia", broken);
    // The no-driver failure still knows its label.
    WriteRaw("nodriver.bin", AssembledArchive(Titles("NONE", "1", "V", "4"), {{1, {1}}}));
    auto worker = MakeWorker();
    EXPECT_TRUE(FindThenRun(*worker));
    EXPECT_EQ(ListFiles(raw.path()),
              (std::vector<std::string>{WithLoneDot("bad.bia"), "nodriver.bin.NONE_4_1"}));
    EXPECT_TRUE(ImportFiles().empty());

    watched.Clear();
    EXPECT_TRUE(worker->RunPass());
    EXPECT_TRUE(watched.Upper().empty());
}

TEST_F(ConversionWorkerTest, DispatchesOnTheLastLetterInAnyCaseAndSkipsTheRest) {
    WriteRaw("upper.BIN", AssembledArchive(Titles("TEST", "1", "V", "4"), {{1, ToBytes("Ez")}}));
    WriteRaw("mixed.bIa", MeterArchive(kHeader, {}));
    WriteRaw("other.bix", {1, 2, 3});
    WriteRaw("notraw.bin.M1", {1});
    fs::create_directory(raw / "folder.bia");
    auto worker = MakeWorker();
    EXPECT_TRUE(FindThenRun(*worker));
    EXPECT_EQ(ListFiles(raw.path()), (std::vector<std::string>{"notraw.bin.M1", "other.bix"}));
    EXPECT_TRUE(fs::is_directory(raw / "folder.bia"));
    EXPECT_EQ(ImportFiles().size(), 2u);
}

TEST_F(ConversionWorkerTest, CaptionsShowTheFileWhileBusyAndDotsBetweenPasses) {
    WriteRaw("20240101120000.bia", MeterArchive(kHeader, {}));
    auto worker = MakeWorker();
    EXPECT_TRUE(FindThenRun(*worker));
    EXPECT_TRUE(worker->RunPass());
    EXPECT_EQ(watched.BusyAtCaption(),
              (std::vector<std::pair<std::string, int>>{
                  {"...", 0}, {"20240101120000.bia", 1}, {"...", 0}, {"...", 0}}));
    for (const auto& bar : watched.Bars()) {
        EXPECT_EQ(bar.position, 0);
    }
}

// A driver may take up to the driver time-out; the printer protocols of a pass need none and
// are not to wait for it.
TEST_F(ConversionWorkerTest, PrinterProtocolsMoveBeforeAnyDriverIsCalled) {
    WriteRaw("a.bia", MeterArchive(kHeader, {}));
    for (const char* name : {"0.bil", "b.bil", "z.bil"}) {
        WriteRaw(name, {'z', 'v'});
    }
    std::vector<std::string> leftAtConversion;
    watched.onCaption = [&](const std::string& caption) {
        if (caption == "a.bia") {
            leftAtConversion = ListFiles(raw.path());
        }
    };
    auto worker = MakeWorker();
    EXPECT_TRUE(FindThenRun(*worker));
    EXPECT_EQ(leftAtConversion, std::vector<std::string>{"a.bia"});
}

TEST_F(ConversionWorkerTest, PrinterProtocolsGoToTheZuvoBaseFolderOrTheImportFolder) {
    const Bytes protocol = {'z', 'v', 0, 1};
    WriteRaw("20240101120000.bil", protocol);
    WriteRaw("20240101120001.bil", protocol);
    auto worker = MakeWorker();
    EXPECT_TRUE(FindThenRun(*worker));
    EXPECT_EQ(worker->PrinterFolder(), import.path());
    EXPECT_EQ(ImportFiles(), (std::vector<std::string>{Stamp() + "_0.zvo", Stamp() + "_1.zvo"}));
    EXPECT_EQ(ReadFileBytes(import / (Stamp() + "_1.zvo")), protocol);
    EXPECT_TRUE(ListFiles(raw.path()).empty());

    TempDir zuvo;
    fs::create_directory(zuvo / "Base");
    WriteRaw("20240101120002.bil", protocol);
    WriteRaw("zuvo.bin", AssembledArchive(Titles("ZUVO", "", "P", "S"), {{1, {7}}}));
    auto withZuvo = MakeWorker(import.path().string(), zuvo.path().string());
    EXPECT_TRUE(FindThenRun(*withZuvo));
    EXPECT_EQ(withZuvo->PrinterFolder(), zuvo / "Base");
    EXPECT_EQ(ListFiles(zuvo / "Base").size(), 2u);
    EXPECT_TRUE(ListFiles(raw.path()).empty());
}

TEST_F(ConversionWorkerTest, APrinterProtocolThatCannotBeMovedIsKeptAndNotRetried) {
    WriteRaw("p.bil", {1, 2});
    auto worker = MakeWorker(import.path().string(), (import / "no-zuvo").string());
    EXPECT_TRUE(FindThenRun(*worker));
    EXPECT_EQ(ListFiles(raw.path()), std::vector<std::string>{WithLoneDot("p.bil")});
    EXPECT_EQ(watched.Upper(),
              (std::vector<std::string>{"$04CNV: Не удалось перенести файл данных принтера 'p.bil' "
                                        "в каталог '" +
                                            (import / "no-zuvo" / "Base").string() + "'.",
                                        "$04Причина: нет такого файла или папки"}));
}

TEST_F(ConversionWorkerTest, ALabelTheFileSystemRefusesFallsBackToTheLoneDot) {
    // A label of 300 bytes makes a name longer than any file system allows.
    const std::string longType(300, 'T');
    WriteRaw("long.bia", MeterArchive("Type=" + longType + "\nSerial=1\nVirtual=1\n", {{1, {1}}}));
    auto worker = MakeWorker();
    EXPECT_TRUE(FindThenRun(*worker));
    EXPECT_EQ(ListFiles(raw.path()), std::vector<std::string>{WithLoneDot("long.bia")});

    // With SaveBin set a converted file is kept the same way, never deleted.
    saveBin = true;
    WriteRaw("long2.bia", MeterArchive("Type=M1\nSerial=" + longType + "\n", {}));
    EXPECT_TRUE(FindThenRun(*worker));
    EXPECT_EQ(ListFiles(raw.path()),
              (std::vector<std::string>{WithLoneDot("long.bia"), WithLoneDot("long2.bia")}));
    EXPECT_EQ(ImportFiles().size(), 1u);
}

TEST_F(ConversionWorkerTest, AnArchiveReadOnlyUpToDamageIsImportedAndKeptAsFailed) {
    MeterArchiveBuilder builder;
    builder.HeaderText(kHeader);
    for (int record = 0; record < 4; ++record) {
        builder.Record(1, {static_cast<std::uint8_t>(record)},
                       record == 1 ? RecordFlaw::BadCheck : RecordFlaw::None);
    }
    WriteRaw("20240101120000.bia", builder.Build());
    auto worker = MakeWorker();
    EXPECT_TRUE(FindThenRun(*worker));
    EXPECT_EQ(ImportFiles().size(), 1u);
    EXPECT_EQ(ListFiles(raw.path()), std::vector<std::string>{"20240101120000.bia.M1_123_2"});
    EXPECT_TRUE(watched.HasUpper("$04CNV: Файл '20240101120000.bia' повреждён (смещение " +
                                 std::to_string(builder.BodyOffsets()[1]) +
                                 "): записи после этого места не прочитаны, файл сохранён в "
                                 "каталоге программы."));
}

// A read that fails (a failing disk), be it the first or the one that would have found the end,
// must not pass for the end of the file: the raw file is kept as failed, never deleted.
TEST_F(ConversionWorkerTest, AReadErrorKeepsTheRawFile) {
    auto worker = MakeWorker();
    for (int failingRead = 1; failingRead <= 3; ++failingRead) {
        WriteRaw("20240101120000.bia", MeterArchive(kHeader, {{1, {7}}}));
        FailingFiles files;
        files.Fail(FileCall::Read, failingRead);
        EXPECT_TRUE(FindThenRun(*worker));
        const auto kept = ListFiles(raw.path());
        ASSERT_EQ(kept.size(), 1u) << failingRead;
        EXPECT_EQ(kept[0].rfind("20240101120000.bia.", 0), 0u) << failingRead;
        fs::remove(raw.path() / kept[0]);
    }
}

// The raw file goes only once its output's name is on disk in the folder it went to (the
// import folder, or Zuvo's Base for a printer protocol); else it stays, out of the pattern so
// that it is not converted twice.
TEST_F(ConversionWorkerTest, TheRawFileStaysUntilItsOutputsNameIsOnDisk) {
    TempDir zuvo;
    fs::create_directory(zuvo / "Base");
    struct Case {
        std::string raw;
        Bytes content;
        fs::path written;
        std::string kept;
    };
    std::vector<Case> cases = {
        {"20240101120000.bia", MeterArchive(kHeader, {{1, {7}}}), import.path(),
         "20240101120000.bia.M1_123_2"},
        {"20240101120001.bin", AssembledArchive(Titles("ZUVO", "", "P", "S"), {{1, {7}}}),
         zuvo / "Base", "20240101120001.bin.ZUVO_S_"},
    };
#if !GTEST_OS_WINDOWS
    // Windows moves a protocol in one step that writes its new name through: no flush to fail.
    cases.push_back(
        {"20240101120002.bil", {'z', 'v'}, zuvo / "Base", WithLoneDot("20240101120002.bil")});
#endif
    for (const auto& c : cases) {
        WriteRaw(c.raw, c.content);
        auto worker = MakeWorker(import.path().string(), zuvo.path().string());
        FolderFlushFails gate(c.written);
        EXPECT_TRUE(FindThenRun(*worker));
        EXPECT_EQ(ListFiles(raw.path()), std::vector<std::string>{c.kept}) << c.raw;
        fs::remove(raw / c.kept);
    }
}

// What is not a plain file is passed over once, with a line: a link is not followed (its
// target is never published) and a FIFO never blocks the pass, also when the printer folder
// lies on another file system and the move would have to read it.
TEST_F(ConversionWorkerTest, LinksAndSpecialFilesArePassedOverNotFollowed) {
#if GTEST_OS_WINDOWS
    GTEST_SKIP() << "symbolic links and FIFOs are made with POSIX tools here";
#endif
    std::error_code error;
    const fs::path otherFileSystem =
        fs::is_directory("/dev/shm", error)
            ? fs::path("/dev/shm/zeptest-zuvo-" + raw.path().filename().string())
            : import.path();
    for (const fs::path& zuvo : {import.path(), otherFileSystem}) {
        SCOPED_TRACE(zuvo.string());
        fs::create_directories(zuvo / "Base");
        TempDir elsewhere;
        WriteFileText(elsewhere / "shadow", "root:secret");
        WriteFileBytes(elsewhere / "archive.bia", MeterArchive(kHeader, {}));
        fs::create_symlink(elsewhere / "shadow", raw / "sh.bil");
        fs::create_symlink(elsewhere / "archive.bia", raw / "linked.bia");
        ASSERT_EQ(std::system(("mkfifo '" + (raw / "x.bil").string() + "'").c_str()), 0);
        WriteRaw("plain.bil", {1, 2});
        auto worker = MakeWorker(import.path().string(), zuvo.string());
        EXPECT_TRUE(FindThenRun(*worker));
        EXPECT_TRUE(worker->RunPass());

        std::vector<std::string> published;
        for (const auto& entry : fs::directory_iterator(zuvo / "Base")) {
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(entry.path())));
            EXPECT_NE(ReadFileText(entry.path()), "root:secret");
            published.push_back(entry.path().filename().string());
        }
        EXPECT_EQ(published.size(), 1u);
        EXPECT_TRUE(ImportFiles().empty());
        const auto lines = watched.Upper();
        for (const char* name : {"sh.bil", "linked.bia", "x.bil"}) {
            EXPECT_EQ(std::count(lines.begin(), lines.end(),
                                 "$04CNV: '" + std::string(name) +
                                     "' - не обычный файл (ссылка, канал или устройство), он "
                                     "пропущен."),
                      1)
                << name;
            fs::remove(raw / name);
        }
        fs::remove_all(zuvo == import.path() ? zuvo / "Base" : zuvo);
        watched.Clear();
    }
}

// A file another program writes in place (not published under a hidden name) is taken only
// once it has stayed unchanged for a whole pass.
TEST_F(ConversionWorkerTest, AFileStillBeingWrittenWaitsUntilItStaysUnchangedForAPass) {
    const Bytes archive = MeterArchive(kHeader, {{1, {1}}, {2, {2}}});
    const auto half = static_cast<std::ptrdiff_t>(archive.size() - 4);
    WriteRaw("20240101120000.bia", Bytes(archive.begin(), archive.begin() + half));
    auto worker = MakeWorker();
    EXPECT_TRUE(worker->RunPass());
    WriteRaw("20240101120000.bia", archive);  // the writer goes on
    EXPECT_TRUE(worker->RunPass());
    EXPECT_TRUE(ImportFiles().empty());
    EXPECT_EQ(ListFiles(raw.path()), std::vector<std::string>{"20240101120000.bia"});
    EXPECT_TRUE(worker->RunPass());
    ASSERT_EQ(ImportFiles().size(), 1u);
    const std::string text = ReadFileText(import / ImportFiles()[0]);
    EXPECT_NE(text.find("Kind=2\r\nData=02"), std::string::npos) << text;
    EXPECT_TRUE(ListFiles(raw.path()).empty());
}

TEST_F(ConversionWorkerTest, AFailedFileThatCannotBeRenamedAtAllIsNotConvertedAgain) {
    // With the longest name allowed, not even the lone dot fits.
    const std::string name = std::string(251, 'n') + ".bia";
    Bytes broken = MeterArchive(kHeader, {});
    broken[1] = 'X';
    WriteRaw(name, broken);
    auto worker = MakeWorker();
    EXPECT_TRUE(FindThenRun(*worker));
    EXPECT_EQ(ListFiles(raw.path()), std::vector<std::string>{name});
    // The system's reason follows, naming the file.
    const auto reason = watched.UpperAfter("$04CNV: Файл '" + name +
                                           "' не удалось удалить или переименовать, он остаётся "
                                           "до перезапуска программы.");
    EXPECT_TRUE(reason.value_or("").starts_with("$04Причина: " + PathToUtf8(raw / name) + ": "))
        << reason.value_or("none");
    watched.Clear();
    EXPECT_TRUE(worker->RunPass());
    EXPECT_EQ(watched.Upper(), std::vector<std::string>{});
    EXPECT_EQ(busy.load(), 0);
}

TEST_F(ConversionWorkerTest, ArchiveDroppedIntoARunningWorkerIsImportedQuickly) {
    auto worker = MakeWorker();
    worker->Start();
    // Give the first pass time to find the folder empty, then drop the file the way the
    // exchanges do: written under a hidden name and published complete. It is taken at the
    // second pass that sees it.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    auto pending = PendingFile::Create(raw.path());
    ASSERT_TRUE(pending.has_value());
    pending->Write(std::span<const std::uint8_t>(MeterArchive(kHeader, {{2, ToBytes("x")}})));
    const auto dropped = std::chrono::steady_clock::now();
    ASSERT_EQ(pending->Publish(raw / "20240101120000.bia"), PublishResult::Published);

    while (ImportFiles().empty() &&
           std::chrono::steady_clock::now() - dropped < std::chrono::seconds(5)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    worker->Stop();
    worker->Stop();  // idempotent
    ASSERT_EQ(ImportFiles().size(), 1u) << "no import file within 5 s";
    const std::string text = ReadFileText(import / ImportFiles()[0]);
    EXPECT_EQ(text.substr(0, 10), "[DEVICE]\r\n");
    EXPECT_NE(text.find("[RECORD]\r\nKind=2\r\nData=78\r\n[RECORD_END]\r\n"), std::string::npos);
    EXPECT_TRUE(ListFiles(raw.path()).empty());
    EXPECT_EQ(busy.load(), 0);
}

TEST_F(ConversionWorkerTest, AStopAskedForDuringAPassEndsItAfterTheFileInHand) {
    for (const char* name : {"20240101120000.bia", "20240101120001.bia", "20240101120002.bia"}) {
        WriteRaw(name, MeterArchive(kHeader, {}));
    }
    auto worker = MakeWorker();
    EXPECT_TRUE(worker->RunPass());
    watched.onCaption = [&](const std::string& caption) {
        if (caption != "...") {
            worker->RequestStop();
        }
    };
    EXPECT_TRUE(worker->RunPass());
    EXPECT_EQ(ImportFiles().size(), 1u);
    EXPECT_EQ(ListFiles(raw.path()).size(), 2u);
    EXPECT_EQ(busy.load(), 0);
}

TEST_F(ConversionWorkerTest, AfterStopNoFileIsTakenUp) {
    WriteRaw("20240101120000.bia", MeterArchive(kHeader, {{2, ToBytes("x")}}));
    auto worker = MakeWorker();
    worker->Start();
    worker->Stop();
    const auto left = ListFiles(raw.path());
    // Whether the thread got to the file before the stop or not, nothing runs afterwards.
    EXPECT_TRUE(worker->RunPass());
    EXPECT_EQ(ListFiles(raw.path()), left);
    WriteRaw("20240101120001.bia", MeterArchive(kHeader, {}));
    EXPECT_TRUE(worker->RunPass());
    EXPECT_TRUE(fs::exists(raw / "20240101120001.bia"));
    EXPECT_EQ(busy.load(), 0);
}

TEST(PrinterProtocolMove, MovesAcrossFileSystemsByCopying) {
    // /dev/shm is a memory file system, apart from the temporary folder's.
    const fs::path shm = "/dev/shm";
    std::error_code error;
    if (!fs::is_directory(shm, error)) {
        GTEST_SKIP() << "no second file system at /dev/shm";
    }
    const fs::path target =
        shm / ("zeptest-move-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(target);
    TempDir source;
    const Bytes protocol = {0, 1, 2, 255};
    WriteFileBytes(source / "x.bil", protocol);
    RecordingReport report;
    FakeClock clock;
    DriverTable none;
    LocalDriverCalls calls{none};
    ConversionContext context{report, calls, clock};
    EXPECT_TRUE(MovePrinterProtocol(source / "x.bil", target, context));
    const auto moved = ListFiles(target);
    const Bytes content = moved.size() == 1 ? ReadFileBytes(target / moved[0]) : Bytes{};
    fs::remove_all(target);
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(content, protocol);
    EXPECT_EQ(moved[0], FormatLocalTime(clock.Now(), kFileStampPattern) + "_0.zvo");
    EXPECT_TRUE(ListFiles(source.path()).empty());
    EXPECT_TRUE(report.All().empty());

    // The source goes only once the copy's name is on disk.
    WriteFileBytes(source / "y.bil", protocol);
    fs::create_directories(target);
    {
        FolderFlushFails gate(target);
        EXPECT_FALSE(MovePrinterProtocol(source / "y.bil", target, context));
    }
    const auto left = ListFiles(target);
    fs::remove_all(target);
    EXPECT_TRUE(left.empty());
    EXPECT_EQ(ReadFileBytes(source / "y.bil"), protocol);
}

// A conversion cut short by a crash goes on where it stopped: what the history says is on disk
// is not written again. Each output is recorded before the next one is written, and the record
// goes once the raw file has left its name.
TEST_F(ConversionWorkerTest, AConversionCutShortGoesOnWhereItStopped) {
    const Bytes archive = AssembledArchive(Titles("NULL", "1,2", "N", "S"), {{1, {7}}});
    const auto keyOf = [](const std::string& name, const Bytes& content) {
        ArchiveKeyBuilder key(name);
        key.Add(content);
        return key.Finish();
    };
    const ArchiveKey cut = keyOf("20240101120000.bin", archive);
    MemoryImportHistory history;
    history.RecordOutput(cut, 0, report);  // the first device's file, before the crash
    WriteRaw("20240101120000.bin", archive);
    const Bytes protocol = {'z', 'v'};
    const ArchiveKey moved = keyOf("20240101120001.bil", protocol);
    history.RecordOutput(moved, 0, report);  // moved, but the crash came before the old name went
    WriteRaw("20240101120001.bil", protocol);
    auto worker = MakeWorker(import.path().string(), {}, &history);
    EXPECT_TRUE(FindThenRun(*worker));
    const auto written = ImportFiles();
    ASSERT_EQ(written.size(), 1u);
    EXPECT_NE(ReadFileText(import / written[0]).find("Virtual=2"), std::string::npos);
    EXPECT_TRUE(ListFiles(raw.path()).empty());
    EXPECT_TRUE(history.PublishedOutputs(cut).empty());
    EXPECT_TRUE(history.PublishedOutputs(moved).empty());

    // Uncut: output 0 is on record by the time output 1 is begun.
    const ArchiveKey whole = keyOf("20240101120002.bin", archive);
    WriteRaw("20240101120002.bin", archive);
    std::vector<std::vector<std::uint16_t>> atCreate;
    FailingFiles files;
    files.before = [&](FileCall call, const fs::path& folder) {
        if (call == FileCall::Create && folder == import.path()) {
            atCreate.push_back(history.PublishedOutputs(whole));
        }
    };
    EXPECT_TRUE(FindThenRun(*worker));
    EXPECT_EQ(atCreate, (std::vector<std::vector<std::uint16_t>>{{}, {0}}));
    EXPECT_EQ(ImportFiles().size(), 3u);
}

}  // namespace
}  // namespace zep::test
