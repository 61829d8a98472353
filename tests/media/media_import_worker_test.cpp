// The card import: files copied and archives assembled, nothing removed from the card before its
// raw file is on disk, links never followed, and failures that keep the data on the card.
#include "media/media_import_worker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <tuple>

#include "core/crc16.h"
#include "core/path_text.h"
#include "media/card_file_name.h"
#include "platform/time_base.h"
#include "tests/support/failing_files.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_report.h"
#include "tests/support/temp_dir.h"
#include "tools/cardgen/card_builders.h"

#if GTEST_OS_WINDOWS
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace zep {
namespace {

namespace fs = std::filesystem;
using cardgen::Bytes;
using cardgen::CardDatabaseBuilder;
using cardgen::CardLayout;
using cardgen::CardRecordSpec;
using test::kDiskFault;
using test::ListFiles;
using test::ReadFileBytes;

// A report that also notes whether every line arrived while the worker held its lock, and
// lets a test act on the card at the moment a line or a bar position arrives.
class LockWatchingReport : public test::RecordingReport {
public:
    explicit LockWatchingReport(WorkerLock& lock) : m_lock(lock) {}
    void AddLogLines(std::optional<std::string> lower, std::optional<std::string> upper) override {
        allUnderLock = allUnderLock && m_lock.IsHeld();
        if (upper && onUpper) {
            onUpper(*upper);
        }
        RecordingReport::AddLogLines(std::move(lower), std::move(upper));
    }
    void SetBar1(int position, std::optional<std::string> caption) override {
        if (onBar1) {
            onBar1(position);
        }
        RecordingReport::SetBar1(position, std::move(caption));
    }
    bool allUnderLock = true;
    std::function<void(const std::string&)> onUpper;
    std::function<void(int)> onBar1;

private:
    WorkerLock& m_lock;
};

class MediaImport : public ::testing::Test {
protected:
    MediaImport() {
        fs::create_directories(card);
        fs::create_directories(program);
    }

    void Run(bool deleteData, std::vector<SelectionKey> selection = {},
             ImportHistory* history = nullptr) {
        WorkerParams params;
        params.folder = card;
        params.deleteData = deleteData;
        params.selection = std::move(selection);
        params.importOnce = true;
        WorkerEnvironment env{report, clock, lock, program, StopRequest::Never(), history};
        EXPECT_EQ(MediaImportWorker(params, env), 0);
        EXPECT_FALSE(lock.IsHeld());
        EXPECT_TRUE(report.allUnderLock);
    }
    std::string Stamp() { return FormatLocalTime(clock.Now(), kFileStampPattern); }
    fs::path Output(int attempt, const std::string& extension) {
        return program / (Stamp() + "_" + std::to_string(attempt) + extension);
    }
    static CardRecordSpec Spec(const std::string& serial) {
        CardRecordSpec spec;
        spec.serial = serial;
        return spec;
    }
    static Bytes Payload(std::size_t size, std::uint32_t seed) {
        return cardgen::PatternBytes(size, seed);
    }
    // What an assembled archive must hold: H and the title strings of the first volume, then
    // the payloads of all volumes.
    static Bytes Assembled(const CardRecordSpec& first, const std::vector<Bytes>& payloads) {
        const Bytes area = cardgen::TitleArea(first);
        Bytes out{static_cast<std::uint8_t>(area.size() >> 8),
                  static_cast<std::uint8_t>(area.size())};
        out.insert(out.end(), area.begin(), area.end());
        for (const auto& payload : payloads) {
            out.insert(out.end(), payload.begin(), payload.end());
        }
        return out;
    }
    std::vector<std::string> Lines() const { return report.Upper(); }

    test::TempDir dir;
    fs::path card = dir / "root/Pexilor/Tessal";
    fs::path program = dir / "program";
    test::FakeClock clock;
    WorkerLock lock;
    LockWatchingReport report{lock};
};

TEST_F(MediaImport, CopiesWholeFilesAndAssemblesEachArchiveOfADatabase) {
    const Bytes zep = cardgen::BuildMeterArchive({});
    cardgen::WriteBytes(card / "a.zep", zep);
    cardgen::WriteBytes(card / "b.zvo", {'p', 'r', 'n'});
    const std::vector<Bytes> chain = {Payload(30, 1), Payload(40, 2), Payload(1, 3)};
    const std::vector<Bytes> single = {Payload(25, 4)};
    CardDatabaseBuilder builder;
    builder.AddArchive(Spec("1"), chain).AddArchive(Spec("2"), single);
    const Bytes database = builder.Build();
    cardgen::WriteBytes(card / "TESSAL.DAT", database);

    Run(false);

    EXPECT_EQ(ReadFileBytes(Output(0, ".bia")), zep);
    EXPECT_EQ(ReadFileBytes(Output(0, ".bil")), (Bytes{'p', 'r', 'n'}));
    EXPECT_EQ(ReadFileBytes(Output(0, ".bin")), Assembled(Spec("1"), chain));
    EXPECT_EQ(ReadFileBytes(Output(1, ".bin")), Assembled(Spec("2"), single));
    EXPECT_EQ(ListFiles(program).size(), 4u);  // no temporary left behind
    // Without deletion the card stays as it was.
    EXPECT_EQ(ReadFileBytes(card / "TESSAL.DAT"), database);
    EXPECT_TRUE(fs::exists(card / "a.zep"));
    const auto lines = Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Обработка файла 'TESSAL.DAT'"), 1);
    EXPECT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines.back(), "$03Импорт данных завершен.");
    // Bar 1 moves with the entries of the database: 4 entries.
    std::vector<int> positions;
    for (const auto& bar : report.Bars()) {
        EXPECT_EQ(bar.bar, 1);
        positions.push_back(bar.position);
    }
    EXPECT_EQ(positions, (std::vector<int>{25, 50, 75, 100}));
}

TEST_F(MediaImport, DeletionChangesOnlyTheFlagsOfImportedRecords) {
    cardgen::WriteBytes(card / "a.zep", cardgen::BuildMeterArchive({}));
    CardRecordSpec voided = Spec("3");
    voided.flags = 0x80;
    CardDatabaseBuilder builder;
    builder.AddArchive(Spec("1"), {Payload(10, 1), Payload(10, 2)})
        .Add(voided)
        .AddArchive(Spec("2"), {Payload(9, 3)});
    CardLayout layout;
    const Bytes database = builder.Build(&layout);
    cardgen::WriteBytes(card / "TESSAL.DAT", database);

    Run(true);

    Bytes expected = database;
    for (const int i : {0, 1, 3}) {
        expected[layout.indexPositions[i] + 4] = 0x10;
    }
    EXPECT_EQ(ReadFileBytes(card / "TESSAL.DAT"), expected);
    EXPECT_FALSE(fs::exists(card / "a.zep"));
    EXPECT_TRUE(fs::exists(Output(1, ".bin")));
    EXPECT_FALSE(fs::exists(Output(2, ".bin")));
    const auto lines = Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Удаление файла"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Сохранение изменений в файле"), lines.end());

    // A second run finds nothing new: imported records are passed over.
    report.Clear();
    Run(true);
    EXPECT_FALSE(fs::exists(Output(2, ".bin")));
    EXPECT_EQ(ReadFileBytes(card / "TESSAL.DAT"), expected);
}

TEST_F(MediaImport, ADatabaseWhoseRecordsAreAllImportedIsDeleted) {
    CardDatabaseBuilder builder;
    builder.AddArchive(Spec("1"), {Payload(10, 1)}).AddArchive(Spec("2"), {Payload(12, 2)});
    cardgen::WriteBytes(card / "TESSAL.DAT", builder.Build());
    Run(true);
    EXPECT_FALSE(fs::exists(card / "TESSAL.DAT"));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Обработка файла 'TESSAL.DAT'",
                                                 "Все записи удалены, удаление файла",
                                                 "$03Импорт данных завершен."}));
}

TEST_F(MediaImport, ABrokenChainLeavesNoArchiveAndNoMarkAndEndsTheDatabase) {
    // A complete one-volume archive, then a chain 1, 3, then an archive never reached.
    CardDatabaseBuilder builder;
    builder.AddArchive(Spec("1"), {Payload(10, 1)});
    CardRecordSpec third = Spec("2");
    third.volume = "3";
    builder.AddArchive(Spec("2"), {Payload(11, 2)})
        .Add(third)
        .AddArchive(Spec("4"), {Payload(5, 5)});
    CardLayout layout;
    const Bytes database = builder.Build(&layout);
    cardgen::WriteBytes(card / "TESSAL.DAT", database);

    Run(true);

    EXPECT_EQ(ReadFileBytes(Output(0, ".bin")), Assembled(Spec("1"), {Payload(10, 1)}));
    EXPECT_EQ(ListFiles(program).size(), 1u);
    Bytes expected = database;
    expected[layout.indexPositions[0] + 4] = 0x10;  // only the archive that was published
    EXPECT_EQ(ReadFileBytes(card / "TESSAL.DAT"), expected);
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "Обработка файла 'TESSAL.DAT'", "$04Ошибка сборки многотомного архива",
                           "$04Ошибка записи на диск двоичного файла.",
                           "Сохранение изменений в файле", "$03Импорт данных завершен."}));
}

TEST_F(MediaImport, ChainErrorsFromAStrayContinuationOrACorruptVolume) {
    CardRecordSpec second = Spec("1");
    second.volume = "2";
    cardgen::WriteBytes(card / "first.dat", CardDatabaseBuilder().Add(second).Build());
    Run(true);
    EXPECT_TRUE(ListFiles(program).empty());
    EXPECT_EQ(Lines(),
              (std::vector<std::string>{
                  "Обработка файла 'first.dat'", "$04Ошибка сборки многотомного архива",
                  "$04Ошибка записи на диск двоичного файла.", "$03Импорт данных завершен."}));

    fs::remove(card / "first.dat");
    report.Clear();
    CardDatabaseBuilder damaged;
    CardRecordSpec bad = Spec("1");
    bad.volume = "2";
    bad.payload = Payload(3, 2);
    bad.wrongCheckWord = true;
    CardRecordSpec first = Spec("1");
    first.payload = Payload(3, 1);
    CardRecordSpec last = Spec("1");
    last.volume = "3";
    last.payload = Payload(3, 3);
    const Bytes database = damaged.Add(first).Add(bad).Add(last).Build();
    cardgen::WriteBytes(card / "chain.dat", database);
    Run(true);
    EXPECT_TRUE(ListFiles(program).empty());
    EXPECT_EQ(ReadFileBytes(card / "chain.dat"), database);
    EXPECT_EQ(Lines(),
              (std::vector<std::string>{
                  "Обработка файла 'chain.dat'", "$04Ошибка обработки заголовка файла",
                  "$04Ошибка сборки многотомного архива",
                  "$04Ошибка записи на диск двоичного файла.", "$03Импорт данных завершен."}));
}

TEST_F(MediaImport, SelectionTakesOnlyTheChosenFilesAndFirstVolumes) {
    cardgen::WriteBytes(card / "a.zep", cardgen::BuildMeterArchive({}));
    cardgen::WriteBytes(card / "b.zep", cardgen::BuildMeterArchive({}));
    CardDatabaseBuilder builder;
    builder.AddArchive(Spec("1"), {Payload(10, 1), Payload(10, 2)})
        .AddArchive(Spec("2"), {Payload(7, 3), Payload(7, 4)});
    CardLayout layout;
    cardgen::WriteBytes(card / "TESSAL.DAT", builder.Build(&layout));

    // Only a.zep: the database and b.zep are not even taken up.
    Run(true, {CardFileKey("a.zep")});
    EXPECT_EQ(ListFiles(program),
              (std::vector<std::string>{Output(0, ".bia").filename().string()}));
    EXPECT_FALSE(fs::exists(card / "a.zep"));
    EXPECT_TRUE(fs::exists(card / "b.zep"));
    EXPECT_EQ(Lines().size(), 3u);

    // Only the second archive of the database (its first volume's key).
    fs::remove(Output(0, ".bia"));
    const SelectionKey second = CardFileKey("TESSAL.DAT") + layout.keys[2];
    Run(false, {CardFileKey("nothing"), second});
    EXPECT_EQ(ReadFileBytes(Output(0, ".bin")),
              Assembled(Spec("2"), {Payload(7, 3), Payload(7, 4)}));
    EXPECT_EQ(ListFiles(program).size(), 1u);
}

TEST_F(MediaImport, PassesOverWhatIsNotItsToTake) {
    cardgen::WriteBytes(card / "empty.zep", {});
    cardgen::WriteBytes(card / "UPPER.ZEP", cardgen::BuildMeterArchive({}));  // not a database
    cardgen::WriteBytes(card / ".hidden.zep", cardgen::BuildMeterArchive({}));
#if GTEST_OS_WINDOWS
    // Windows hides a name by its attribute.
    cardgen::WriteBytes(card / "attribute.zep", cardgen::BuildMeterArchive({}));
    ASSERT_NE(SetFileAttributesW((card / "attribute.zep").c_str(), FILE_ATTRIBUTE_HIDDEN), 0);
#endif
    fs::create_directories(card / "sub.zep");
    cardgen::WriteBytes(
        card / "new.dat",
        CardDatabaseBuilder().Version(1).AddArchive(Spec("1"), {Payload(4, 1)}).Build());
    Run(true);
    EXPECT_TRUE(ListFiles(program).empty());
    auto lines = Lines();
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "$03Импорт данных завершен.",
                         "$04Неподдерживаемая версия базы данных, обновите программу",
                         "Обработка файла 'UPPER.ZEP'", "Обработка файла 'empty.zep'",
                         "Обработка файла 'new.dat'"}));
    EXPECT_TRUE(fs::exists(card / "empty.zep"));
    EXPECT_TRUE(fs::exists(card / "new.dat"));
}

// Links on a card are never followed: one to a secret outside would publish it, one to a card
// database would import each of its archives twice.
TEST_F(MediaImport, LinksOnTheCardArePassedOver) {
#if GTEST_OS_WINDOWS
    GTEST_SKIP() << "symbolic links are made with POSIX tools here";
#endif
    cardgen::WriteBytes(card / "DB.DAT",
                        CardDatabaseBuilder().AddArchive(Spec("1"), {Payload(4, 1)}).Build());
    cardgen::WriteBytes(dir / "secret", cardgen::BuildMeterArchive({}));
    fs::create_symlink("DB.DAT", card / "DBLINK.DAT");
    fs::create_symlink(dir / "secret", card / "s.zvo");
    fs::create_symlink(dir / "secret", card / "s.zep");
    Run(true);
    EXPECT_EQ(ListFiles(program), (std::vector<std::string>{Stamp() + "_0.bin"}));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Обработка файла 'DB.DAT'",
                                                 "Все записи удалены, удаление файла",
                                                 "$03Импорт данных завершен."}));
    EXPECT_TRUE(fs::is_symlink(card / "s.zep"));
}

TEST_F(MediaImport, OutputsThatCannotBeWrittenKeepTheCardFiles) {
    cardgen::WriteBytes(card / "a.zep", cardgen::BuildMeterArchive({}));
    const Bytes database = CardDatabaseBuilder().AddArchive(Spec("1"), {Payload(4, 1)}).Build();
    cardgen::WriteBytes(card / "TESSAL.DAT", database);
    program = dir / "no-such-folder";
    Run(true);
    EXPECT_TRUE(fs::exists(card / "a.zep"));
    EXPECT_EQ(ReadFileBytes(card / "TESSAL.DAT"), database);
    const auto lines = Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "$04Ошибка записи на диск двоичного файла."),
              2);
    EXPECT_EQ(lines.back(), "$03Импорт данных завершен.");
}

TEST_F(MediaImport, OutputsOfOneSecondAreNumberedAndAMissingFolderEndsAtOnce) {
    cardgen::WriteBytes(program / (Stamp() + "_0.bia"), {1});
    cardgen::WriteBytes(card / "a.zep", cardgen::BuildMeterArchive({}));
    Run(false);
    EXPECT_TRUE(fs::exists(Output(1, ".bia")));
    EXPECT_EQ(ReadFileBytes(Output(0, ".bia")), (Bytes{1}));

    report.Clear();
    WorkerParams params;
    params.folder = dir / "gone";
    WorkerEnvironment env{report, clock, lock, program};
    MediaImportWorker(params, env);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"$03Импорт данных завершен."}));
}

// A card pulled (or swapped for another) while it is imported: just as the output of a card
// file gets its name, the card file is replaced by a folder of the same name. The imported
// data then stay on the card and the next insertion would import them again, so each case
// reports its red line naming the card file, and never the line that says the file went.
struct CardStaysCase {
    const char* name;
    const char* cardFile;
    const char* outputExtension;  // the output whose naming pulls the card
    const char* successLine;      // must not appear
    const char* failureLine;
};

class CardStays : public MediaImport, public ::testing::WithParamInterface<CardStaysCase> {};

TEST_P(CardStays, AFailedWriteBackIsReportedNamingTheCardFile) {
    const CardStaysCase& c = GetParam();
    CardRecordSpec voided = Spec("9");
    voided.flags = 0x80;
    CardDatabaseBuilder builder;
    builder.AddArchive(Spec("1"), {Payload(10, 1), Payload(11, 2)});
    if (std::string(c.name) == "FlagsNotSaved") {
        builder.Add(voided);
    }
    cardgen::WriteBytes(card / "TESSAL.DAT", builder.Build());
    cardgen::WriteBytes(card / "a.zep", cardgen::BuildMeterArchive({}));
    test::FailingFiles files;
    files.before = [&](FileCall call, const fs::path& path) {
        if (call == FileCall::Link && path.extension() == c.outputExtension &&
            fs::is_regular_file(card / c.cardFile)) {
            fs::remove(card / c.cardFile);
            fs::create_directories(card / c.cardFile / "in the way");
        }
    };

    Run(true);

    const auto lines = Lines();
    const auto failure = std::find(lines.begin(), lines.end(), c.failureLine);
    ASSERT_NE(failure, lines.end());
    EXPECT_EQ(std::find(lines.begin(), lines.end(), c.successLine), lines.end());
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.starts_with("$04"); }),
              2);
    // What the system said of the card file follows.
    ASSERT_NE(failure + 1, lines.end());
    EXPECT_TRUE(failure[1].starts_with("$04Причина: " + PathToUtf8(card / c.cardFile) + ": "))
        << failure[1];
    // The outputs are published as ever.
    EXPECT_EQ(ReadFileBytes(Output(0, ".bin")),
              Assembled(Spec("1"), {Payload(10, 1), Payload(11, 2)}));
    EXPECT_TRUE(fs::exists(Output(0, ".bia")));
}

INSTANTIATE_TEST_SUITE_P(
    WriteBack, CardStays,
    ::testing::Values(CardStaysCase{"FlagsNotSaved", "TESSAL.DAT", ".bin", "",
                                    "$04Ошибка сохранения изменений в файле 'TESSAL.DAT'"},
                      CardStaysCase{"DatabaseNotDeleted", "TESSAL.DAT", ".bin",
                                    "Все записи удалены, удаление файла",
                                    "$04Ошибка удаления файла 'TESSAL.DAT'"},
                      CardStaysCase{"WholeFileNotDeleted", "a.zep", ".bia", "Удаление файла",
                                    "$04Ошибка удаления файла 'a.zep'"}),
    [](const auto& info) { return std::string(info.param.name); });

// An archive that could not be published leaves its records on the card unmarked.
TEST_F(MediaImport, AnArchiveThatCannotBePublishedMarksNothing) {
    CardDatabaseBuilder builder;
    builder.AddArchive(Spec("1"), {Payload(10, 1)});
    const Bytes database = builder.Build();
    cardgen::WriteBytes(card / "TESSAL.DAT", database);
    test::FailingFiles files;
    files.Fail(FileCall::Link, 0);

    Run(true);

    EXPECT_EQ(ReadFileBytes(card / "TESSAL.DAT"), database);
    EXPECT_TRUE(ListFiles(program).empty());
    EXPECT_EQ(report.UpperAfter("$04Ошибка записи на диск двоичного файла."),
              "$04Причина: " + PathToUtf8(program) + ": " + kDiskFault);
}

// A card that stops answering part-way through a file: nothing of that file is published (the
// archives of a database finished before the failure neither: their marks could not reach the
// card, and the next insertion would bring them twice), the file stays, and the red line names it.
TEST_F(MediaImport, AReadThatFailsKeepsTheCardFileAndPublishesNothingOfIt) {
    const Bytes database = CardDatabaseBuilder()
                               .AddArchive(Spec("1"), {Payload(10, 1)})
                               .AddArchive(Spec("2"), {Payload(12, 2)})
                               .Build();
    const Bytes zep = cardgen::BuildMeterArchive({});
    // Database: header, block header, block, then record 2 (the second archive) fails.
    for (const auto& [name, bytes, failingRead] :
         {std::tuple{"TESSAL.DAT", database, 5}, std::tuple{"a.zep", zep, 1}}) {
        fs::remove_all(card);
        fs::remove_all(program);
        fs::create_directories(card);
        fs::create_directories(program);
        report.Clear();
        cardgen::WriteBytes(card / name, bytes);
        test::FailingFiles files;
        files.Fail(FileCall::Read, failingRead);

        Run(true);

        EXPECT_TRUE(ListFiles(program).empty()) << name;
        EXPECT_EQ(ReadFileBytes(card / name), bytes) << name;
        const auto lines = Lines();
        EXPECT_NE(std::find(lines.begin(), lines.end(),
                            std::string("$04Ошибка чтения файла '") + name + "'"),
                  lines.end())
            << name;
    }
}

// The name of a card file turned into a link between the listing and the copy: what is copied
// is the file that was judged, never what the link leads to.
TEST_F(MediaImport, ACardFileSwappedForALinkAfterTheListingIsNotFollowed) {
#if GTEST_OS_WINDOWS
    GTEST_SKIP() << "symbolic links are made with POSIX tools here";
#endif
    cardgen::WriteBytes(card / "a.zep", cardgen::BuildMeterArchive({}));
    cardgen::WriteBytes(dir / "secret", {'s', 'e', 'c', 'r', 'e', 't'});
    report.onUpper = [&](const std::string& line) {
        if (line == "Обработка файла 'a.zep'") {
            fs::remove(card / "a.zep");
            fs::create_symlink(dir / "secret", card / "a.zep");
        }
    };
    Run(true);
    EXPECT_TRUE(ListFiles(program).empty());
}

// Records are read one at a time: a database whose last extent runs on for far more than the
// machine's memory (a sparse file) imports as a small one does.
TEST_F(MediaImport, ADatabaseLargerThanMemoryIsImportedRecordByRecord) {
    const std::vector<Bytes> chain = {Payload(30, 1), Payload(40, 2)};
    cardgen::WriteBytes(card / "TESSAL.DAT",
                        CardDatabaseBuilder().AddArchive(Spec("1"), chain).Build());
    std::error_code error;
    fs::resize_file(card / "TESSAL.DAT", std::uintmax_t{64} << 30, error);
    if (error) {
        GTEST_SKIP() << "no sparse files of 64 GiB here: " << error.message();
    }
    Run(false);
    EXPECT_EQ(ReadFileBytes(Output(0, ".bin")), Assembled(Spec("1"), chain));
}

// A read-only card: nothing can be deleted from it, so nothing is said to be.
TEST_F(MediaImport, ACardThatRefusesDeletionKeepsItsFilesAndSaysSo) {
    CardDatabaseBuilder builder;
    builder.AddArchive(Spec("1"), {Payload(10, 1)});
    cardgen::WriteBytes(card / "TESSAL.DAT", builder.Build());
    cardgen::WriteBytes(card / "a.zvo", cardgen::BuildMeterArchive({}));
    test::FailingFiles files;
    files.Fail(FileCall::Remove, 0);

    Run(true);

    const auto lines = Lines();
    for (const char* line : {"Удаление файла", "Все записи удалены, удаление файла"}) {
        EXPECT_EQ(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    }
    for (const char* name : {"TESSAL.DAT", "a.zvo"}) {
        EXPECT_EQ(report.UpperAfter(std::string("$04Ошибка удаления файла '") + name + "'"),
                  "$04Причина: " + PathToUtf8(card / name) + ": " + kDiskFault);
    }
    EXPECT_TRUE(fs::exists(card / "TESSAL.DAT"));
    EXPECT_TRUE(fs::exists(card / "a.zvo"));
}

// A crash of the program (the process ends at once) while a card database is imported with
// deletion leaves either no output or every output complete, and the card as it was.
TEST_F(MediaImport, ACrashBeforeTheCardIsChangedLeavesItWholeAndTheOutputsWholeOrAbsent) {
#if GTEST_OS_WINDOWS
    // There the crashing child is a new run of the test, with temporary folders of its own.
    GTEST_SKIP() << "death tests do not share the test's folders on Windows";
#endif
    CardRecordSpec voided = Spec("9");
    voided.flags = 0x80;
    const std::vector<Bytes> first = {Payload(10, 1), Payload(11, 2)};
    const std::vector<Bytes> second = {Payload(12, 3)};
    CardDatabaseBuilder builder;
    builder.AddArchive(Spec("1"), first).AddArchive(Spec("2"), second).Add(voided);
    const Bytes database = builder.Build();
    cardgen::WriteBytes(card / "TESSAL.DAT", database);
    const auto binaries = [&] {
        std::vector<std::string> names;
        for (const auto& name : ListFiles(program)) {
            if (name.size() > 4 && name.substr(name.size() - 4) == ".bin") {
                names.push_back(name);
            }
        }
        return names;
    };

    // Half-way through the entries: nothing is published yet.
    report.onBar1 = [](int position) {
        if (position >= 50) {
            std::_Exit(3);
        }
    };
    EXPECT_EXIT(Run(true), ::testing::ExitedWithCode(3), "");
    EXPECT_TRUE(binaries().empty());
    EXPECT_EQ(ReadFileBytes(card / "TESSAL.DAT"), database);

    // Published and on disk, but the flags not yet written back.
    report.onBar1 = nullptr;
    report.onUpper = [](const std::string& line) {
        if (line == "Сохранение изменений в файле") {
            std::_Exit(3);
        }
    };
    EXPECT_EXIT(Run(true), ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(binaries().size(), 2u);
    EXPECT_EQ(ReadFileBytes(Output(0, ".bin")), Assembled(Spec("1"), first));
    EXPECT_EQ(ReadFileBytes(Output(1, ".bin")), Assembled(Spec("2"), second));
    EXPECT_EQ(ReadFileBytes(card / "TESSAL.DAT"), database);
}

TEST(CardFileName, KeysAndLogNames) {
    const std::string name = "TESSAL.DAT";
    EXPECT_EQ(CardFileKey(name), static_cast<SelectionKey>(Crc16(name.data(), name.size())) << 16);
    const std::vector<SelectionKey> keys = {0x12340000, 0xABCD0042};
    EXPECT_TRUE(MatchesSelection(keys, 0x1234FFFF, kFileKeyMask));
    EXPECT_FALSE(MatchesSelection(keys, 0x1234FFFF, kRecordKeyMask));
    EXPECT_TRUE(MatchesSelection(keys, 0x00000042, kRecordKeyMask));
    EXPECT_FALSE(MatchesSelection({}, 0, kFileKeyMask));
    EXPECT_EQ(CardFileNameForLog("архив.dat"), "архив.dat");
    EXPECT_EQ(CardFileNameForLog("\xE0\xF0\xF5.dat"), "арх.dat");  // a Windows-1251 name
}

// A card kept as a backup: every archive arrives once however often the card comes back, an
// archive larger than what is gathered in memory included, and nothing is left behind; what
// the user checks in the preview is imported again all the same.
TEST_F(MediaImport, AKeptCardArrivesOnceAndAChosenRowOverridesTheHistory) {
    const Bytes zep = cardgen::BuildMeterArchive({});
    cardgen::WriteBytes(card / "a.zep", zep);
    cardgen::WriteBytes(card / "p.zvo", {'p', 'r', 'n'});
    cardgen::WriteBytes(card / "TESSAL.DAT",
                        CardDatabaseBuilder()
                            .AddArchive(Spec("1"), {Payload(40000, 1), Payload(40000, 2)})
                            .AddArchive(Spec("2"), std::vector<Bytes>(24, Payload(60000, 3)))
                            .Build());
    MemoryImportHistory history;
    Run(false, {}, &history);
    EXPECT_EQ(ListFiles(program).size(), 4u);
    EXPECT_EQ(history.ArchiveCount(), 4u);
    for (int again = 0; again < 2; ++again) {
        report.Clear();
        Run(false, {}, &history);
        EXPECT_EQ(ListFiles(program).size(), 4u);
        EXPECT_TRUE(report.HasUpper("Пропущено ранее импортированных архивов: 4"));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(program), fs::directory_iterator()), 4);
    Run(false, {CardFileKey("a.zep")}, &history);
    EXPECT_EQ(ListFiles(program).size(), 5u);
}

// With deletion on, what the history knows leaves the card as if just imported.
TEST_F(MediaImport, KnownArchivesLeaveADeletingCardAsIfJustImported) {
    const Bytes zep = cardgen::BuildMeterArchive({});
    cardgen::WriteBytes(card / "a.zep", zep);
    const CardRecordSpec spec = Spec("1");
    const std::vector<Bytes> chain = {Payload(30, 1), Payload(40, 2)};
    cardgen::WriteBytes(card / "TESSAL.DAT", CardDatabaseBuilder().AddArchive(spec, chain).Build());
    MemoryImportHistory history;
    test::RecordingReport quiet;
    history.Record(std::vector{ArchiveKeyOf(zep), ArchiveKeyOf(Assembled(spec, chain))}, quiet);
    Run(true, {}, &history);
    EXPECT_TRUE(ListFiles(program).empty());
    EXPECT_TRUE(ListFiles(card).empty());
    EXPECT_TRUE(report.HasUpper("Пропущено ранее импортированных архивов: 2"));
}

// An archive is recorded only once its raw file's name is on disk: a crash before then must
// bring it again, never lose it.
TEST_F(MediaImport, AnArchiveIsRecordedOnlyOnceItsNameIsOnDisk) {
    cardgen::WriteBytes(card / "a.zep", cardgen::BuildMeterArchive({}));
    cardgen::WriteBytes(card / "TESSAL.DAT",
                        CardDatabaseBuilder().AddArchive(Spec("1"), {Payload(30, 1)}).Build());
    MemoryImportHistory history;
    {
        test::FolderFlushFails names(program);
        Run(false, {}, &history);
    }
    EXPECT_EQ(ListFiles(program).size(), 2u);
    EXPECT_EQ(history.ArchiveCount(), 0u);
}

}  // namespace
}  // namespace zep
