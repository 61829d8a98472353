// The driver table against real test driver libraries copied into temporary folders.
#include "convert/driver_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <thread>

#include "convert/bounded_output.h"
#include "drivers/test/probe.h"
#include "tests/convert/conversion_fixture.h"
#include "tests/support/recording_report.h"

namespace zep::test {
namespace {

namespace fs = std::filesystem;

// A record block over its own output, for calling a driver directly.
struct BoundedBlock {
    explicit BoundedBlock(std::string script) : data(script.begin(), script.end()) {}
    BoundedOutput output{4096};
    std::vector<unsigned char> data;
    VLRecordBlock block{3, 1, data.data(), static_cast<std::int32_t>(data.size()), &output.Stream(),
                        0};
};

class DriverTableTest : public ::testing::Test {
protected:
    void SetUp() override { ZepProbeReset(); }

    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (int i = 0; i < table.Count(); ++i) {
            names.insert(table.Name(i));
        }
        return names;
    }

    // The file names of a folder in the order the platform enumerates them.
    static std::vector<std::string> EnumerationOrder(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    TempDir folder;
    RecordingReport report;
    DriverTable table;
};

// Without the value, or with one naming no folder, the line says so; the next line says why
// where the system or a configuration file saved as UTF-16 tells.
TEST_F(DriverTableTest, MissingDriverFolderIsLoggedWithWhyAndLoadsNothing) {
    CopyDriver(Lib("vl_test_script"), folder.path());
    const std::string missingLine = "$04Не найден путь к папке драйверов.";
    const auto missing = folder / "missing";
    const auto conf = folder / "Velmora.conf";
    const struct {
        std::string value;
        bool utf16;
        std::vector<std::string> lines;
    } cases[] = {
        {"", false, {missingLine}},
        {"", true, {missingLine, Utf16Line(conf)}},
        {PathToUtf8(missing),
         false,
         {missingLine, "$04Причина: " + PathToUtf8(missing) + ": нет такого файла или папки"}},
    };
    for (const auto& c : cases) {
        DispatchSetup setup;
        if (c.utf16) {
            setup.foreign["Velmora"] = conf;
        }
        report.Clear();
        table.LoadDrivers(report, setup.Values(c.value, "/tmp"));
        EXPECT_EQ(report.Upper(), c.lines);
        EXPECT_EQ(table.Count(), 0);
    }
}

TEST_F(DriverTableTest, ScansSubFoldersButNotDotFoldersAndTakesOnlyLibraryNames) {
    CopyDriver(Lib("vl_test_script"), folder.path(),
               UpperCase(Lib("meter")));                                  // suffix in any case
    CopyDriver(Lib("vl_m1"), folder / "vendor" / "deep");                 // nested sub-folder
    CopyDriver(Lib("vl_null"), folder / ".cache");                        // hidden folder
    CopyDriver(Lib("vl_kolvar"), folder.path(), Lib("kolvar") + ".old");  // not the last suffix
    CopyDriver(Lib("vl_kolvar"), folder.path(), "kolvar");                // no suffix at all
    DispatchSetup setup;
    table.LoadDrivers(report, setup.Values(folder.path().string(), "/tmp"));

    EXPECT_EQ(Names(), (std::set<std::string>{"TEST", "M1"}));
    std::vector<std::string> expectedLines;
    for (int i = 0; i < table.Count(); ++i) {
        expectedLines.push_back("Загружен драйвер '" + table.Name(i) + "'.");
    }
    EXPECT_EQ(report.Upper(), expectedLines);
}

TEST_F(DriverTableTest, KolvarTypeIsKeptAsWindows1251AndLoggedReadable) {
    CopyDriver(Lib("vl_kolvar"), folder.path());
    table.LoadDriversFrom(report, folder.path());
    ASSERT_EQ(table.Count(), 1);
    EXPECT_EQ(table.Name(0), "\xC6\xD3\xC2.\xD0-1");
    EXPECT_EQ(table.FindDriver("\xC6\xD3\xC2.\xD0-1"), 0);
    EXPECT_EQ(report.Upper(), std::vector<std::string>{"Загружен драйвер 'ЖУВ.Р-1'."});
}

TEST_F(DriverTableTest, RejectsLibrariesThatBreakTheContractWithoutALine) {
    for (const std::string& name :
         {Lib("vl_test_no_init"), Lib("vl_test_init_false"), Lib("vl_test_init_high_byte"),
          Lib("vl_test_no_entry6"), Lib("vl_test_no_entries"), Lib("vl_test_foreign_entry6"),
          Lib("vl_test_data_entry6"), Lib("vl_test_script")}) {
        CopyDriver(name, folder.path());
    }
    table.LoadDriversFrom(report, folder.path());

    EXPECT_EQ(Names(), std::set<std::string>{"TEST"});
    EXPECT_EQ(report.Upper(), std::vector<std::string>{"Загружен драйвер 'TEST'."});
    for (const char* tag : {"vl_test_no_init", "vl_test_init_false", "vl_test_init_high_byte",
                            "vl_test_no_entry6", "vl_test_no_entries", "vl_test_foreign_entry6",
                            "vl_test_data_entry6", "vl_test_script"}) {
        const std::string suffix = std::string(":") + tag;
        // Every library was introduced to the host, with the host description and 0.
        EXPECT_EQ(ZepProbeCount(("setapp" + suffix).c_str()), 1) << tag;
        // VLExit belongs to drivers that entered the table.
        EXPECT_EQ(ZepProbeCount(("exit" + suffix).c_str()), 0) << tag;
    }
    EXPECT_EQ(ZepProbeCount("init:vl_test_no_init"), 0);
    EXPECT_EQ(ZepProbeCount("init:vl_test_no_entry6"), 1);
    // VLInit saw a descriptor of 742 bytes holding version 1.0.
    for (int i = 0; i < ZepProbeEventCount(); ++i) {
        EXPECT_NE(std::string(ZepProbeEvent(i)).rfind("init-unexpected", 0), 0u)
            << ZepProbeEvent(i);
        EXPECT_NE(std::string(ZepProbeEvent(i)).rfind("setapp-invalid", 0), 0u) << ZepProbeEvent(i);
    }
}

TEST_F(DriverTableTest, DuplicateNamesKeepTheHighestVersionComparedUnsigned) {
    // (1, 0) untouched by the driver, (1, 2), (1, 0xFFFFFFFF), (2, 0).
    CopyDriver(Lib("vl_test_dup_default"), folder.path());
    CopyDriver(Lib("vl_test_dup_1_2"), folder.path());
    table.LoadDriversFrom(report, folder.path());
    ASSERT_EQ(table.Count(), 1);
    // A driver that leaves the table at once is told so (VLExit); the one kept is not yet.
    EXPECT_EQ(ZepProbeCount("exit:vl_test_dup_default"), 1);
    EXPECT_EQ(ZepProbeCount("exit:vl_test_dup_1_2"), 0);
    EXPECT_EQ(report.Upper(), std::vector<std::string>{"Загружен драйвер 'DUP'."});

    DriverTable all;
    TempDir four;
    for (const std::string& name : {Lib("vl_test_dup_1_max"), Lib("vl_test_dup_default"),
                                    Lib("vl_test_dup_2_0"), Lib("vl_test_dup_1_2")}) {
        CopyDriver(name, four.path());
    }
    ZepProbeReset();
    all.LoadDriversFrom(report, four.path());
    ASSERT_EQ(all.Count(), 1);
    EXPECT_EQ(ZepProbeCount("exit:vl_test_dup_2_0"), 0);
    EXPECT_EQ(ZepProbeCount("exit:vl_test_dup_1_max") + ZepProbeCount("exit:vl_test_dup_default") +
                  ZepProbeCount("exit:vl_test_dup_1_2"),
              3);
}

TEST_F(DriverTableTest, UnsignedMinorBeatsASmallerOne) {
    CopyDriver(Lib("vl_test_dup_1_2"), folder.path());
    CopyDriver(Lib("vl_test_dup_1_max"), folder.path());
    table.LoadDriversFrom(report, folder.path());
    ASSERT_EQ(table.Count(), 1);
    EXPECT_EQ(ZepProbeCount("exit:vl_test_dup_1_2"), 1);
    EXPECT_EQ(ZepProbeCount("exit:vl_test_dup_1_max"), 0);
}

TEST_F(DriverTableTest, OnEqualVersionsTheLibraryFoundFirstStays) {
    CopyDriver(Lib("vl_test_dup_1_2"), folder.path(), Lib("a"));
    CopyDriver(Lib("vl_test_dup_1_2_twin"), folder.path(), Lib("b"));
    const bool aFirst = EnumerationOrder(folder.path()).front() == Lib("a");
    table.LoadDriversFrom(report, folder.path());
    ASSERT_EQ(table.Count(), 1);
    EXPECT_EQ(ZepProbeCount("exit:vl_test_dup_1_2"), aFirst ? 0 : 1);
    EXPECT_EQ(ZepProbeCount("exit:vl_test_dup_1_2_twin"), aFirst ? 1 : 0);
}

TEST_F(DriverTableTest, TakesAtMostOneHundredDrivers) {
    for (int i = 0; i < 101; ++i) {
        CopyDriver(Lib("vl_test_seq"), folder.path(), Lib("seq" + std::to_string(i)));
    }
    table.LoadDriversFrom(report, folder.path());
    EXPECT_EQ(table.Count(), DriverTable::kMaxDrivers);
    EXPECT_EQ(ZepProbeCount("setapp:vl_test_seq"), 101);
    EXPECT_EQ(ZepProbeCount("init:vl_test_seq"), 100);
    EXPECT_EQ(report.Upper().size(), 100u);
    EXPECT_EQ(table.FindDriver("SEQ99"), 99);
    EXPECT_EQ(table.FindDriver("SEQ100"), -1);
}

TEST_F(DriverTableTest, FindDriverComparesWholeNamesByteForByte) {
    CopyDriver(Lib("vl_test_script"), folder.path());
    CopyDriver(Lib("vl_m1"), folder.path());
    table.LoadDriversFrom(report, folder.path());
    EXPECT_GE(table.FindDriver("TEST"), 0);
    EXPECT_EQ(table.Name(table.FindDriver("M1")), "M1");
    EXPECT_EQ(table.FindDriver("test"), -1);
    EXPECT_EQ(table.FindDriver("TES"), -1);
    EXPECT_EQ(table.FindDriver("TESTS"), -1);
    EXPECT_EQ(table.FindDriver(std::string("TEST\0x", 6)), -1);
    EXPECT_EQ(table.FindDriver(""), -1);
}

TEST_F(DriverTableTest, AFolderReachedAgainThroughALinkIsScannedOnce) {
    CopyDriver(Lib("vl_test_script"), folder.path());
    std::error_code error;
    fs::create_directory_symlink(folder.path(), folder / "loop", error);
    if (error) {
        GTEST_SKIP() << "no directory links here: " << error.message();
    }
    table.LoadDriversFrom(report, folder.path());
    EXPECT_EQ(table.Count(), 1);
    EXPECT_EQ(ZepProbeCount("setapp:vl_test_script"), 1);
}

TEST_F(DriverTableTest, UnloadCallsExitOnceAndLaterCallsFail) {
    CopyDriver(Lib("vl_test_script"), folder.path());
    CopyDriver(Lib("vl_test_dup_1_2"), folder.path());
    table.LoadDriversFrom(report, folder.path());
    const int script = table.FindDriver("TEST");
    ASSERT_GE(script, 0);

    BoundedBlock block("Ex");
    EXPECT_EQ(table.ConvertRecord(script, block.block), 1);
    EXPECT_EQ(block.output.Text(), "kind=1 virtual=3 length=2 text=x\n");
    BoundedBlock throwing("X");
    EXPECT_EQ(table.ConvertRecord(script, throwing.block), 0);
    EXPECT_EQ(table.ConvertRecord(table.Count(), block.block), 0);
    table.UnloadDrivers();
    EXPECT_EQ(ZepProbeCount("exit:vl_test_script"), 1);
    EXPECT_EQ(ZepProbeCount("exit:vl_test_dup_1_2"), 1);
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.FindDriver("TEST"), -1);
    EXPECT_EQ(table.ConvertRecord(script, block.block), 0);
    table.UnloadDrivers();  // a second unload has nothing left to do
    EXPECT_EQ(ZepProbeCount("exit:vl_test_script"), 1);
}

TEST_F(DriverTableTest, UnloadingWaitsForTheConversionThatHoldsTheDrivers) {
    CopyDriver(Lib("vl_test_script"), folder.path());
    table.LoadDriversFrom(report, folder.path());
    std::thread unloader;
    {
        const DriverTable::CallScope calls(table);
        unloader = std::thread([this] { table.UnloadDrivers(); });
        // However long the unloader has had, the library is still there for the next call.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        BoundedBlock block("Ey");
        EXPECT_EQ(calls.ConvertRecord(calls.FindDriver("TEST"), block.block), 1);
        EXPECT_EQ(block.output.Text(), "kind=1 virtual=3 length=2 text=y\n");
        EXPECT_EQ(ZepProbeCount("exit:vl_test_script"), 0);
    }
    unloader.join();
    EXPECT_EQ(ZepProbeCount("exit:vl_test_script"), 1);
    EXPECT_EQ(table.Count(), 0);
}

}  // namespace
}  // namespace zep::test
