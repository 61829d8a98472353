// The one command line: what each argument list asks for, and what running it prints.
#include <gtest/gtest.h>

#include <sstream>

#include "app/command_line.h"
#include "app/program_version.h"
#include "core/path_text.h"
#include "tests/app/controller_fakes.h"
#include "tests/support/temp_dir.h"

namespace zep::test {
namespace {

TEST(CommandLineTest, OwnOptionsAreRecognised) {
    const auto headless = ParseCommandLine({"--program-dir", "/srv/zep", "--headless"});
    EXPECT_EQ(headless.command, Command::Headless);
    EXPECT_EQ(headless.programDir, "/srv/zep");
    EXPECT_FALSE(headless.error);

    const auto joined = ParseCommandLine({"--headless", "--program-dir=/srv/x"});
    EXPECT_EQ(joined.programDir, "/srv/x");

    const auto inspect = ParseCommandLine({"--program-dir", "/x", "--inspect", "a.bia", "b"});
    EXPECT_EQ(inspect.command, Command::Inspect);
    EXPECT_EQ(inspect.programDir, "/x");
    EXPECT_EQ(inspect.files, (std::vector<std::string>{"a.bia", "b"}));
    EXPECT_FALSE(inspect.error);

    const auto replay = ParseCommandLine({"--replay", "s.zsr", "--program-dir", "/y"});
    EXPECT_EQ(replay.command, Command::Replay);
    EXPECT_EQ(replay.files, (std::vector<std::string>{"s.zsr"}));
    EXPECT_EQ(replay.programDir, "/y");
    EXPECT_FALSE(replay.error);

    EXPECT_EQ(ParseCommandLine({"--help"}).command, Command::Help);
    EXPECT_EQ(ParseCommandLine({"-h"}).command, Command::Help);
    EXPECT_EQ(ParseCommandLine({"--version"}).command, Command::Version);
    EXPECT_EQ(ParseCommandLine({}).command, Command::Window);
    // The program's own driver host, started by the program and kept out of the usage text.
    EXPECT_EQ(ParseCommandLine({"--driver-host"}).command, Command::DriverHost);
    const auto window = ParseCommandLine({"--program-dir", "/x"});
    EXPECT_EQ(window.command, Command::Window);
    EXPECT_FALSE(window.error);
}

TEST(CommandLineTest, MistakesAreReported) {
    const std::vector<std::vector<std::string>> mistakes = {
        {"--headless", "--program-dir"},
        {"--headless", "--bogus"},
        {"--inspect"},
        {"--headless", "--inspect", "a.bia"},
        {"--replay"},
        {"--replay", "a.zsr", "--headless"},
        {"bogus"},
        {"--headless", "--bogus", "--help"},
        {"--headless", "--driver-host"},
    };
    for (const auto& arguments : mistakes) {
        EXPECT_TRUE(ParseCommandLine(arguments).error) << arguments.size() << " arguments";
    }
}

struct RunCase {
    std::vector<std::string> arguments;
    int status;
    bool printsUsage;  // on the stream that goes with the status
};

TEST(CommandLineTest, StatusAndOutputOfEachCommand) {
    const RunCase cases[] = {
        {{}, 2, true},
        {{"--help"}, 0, true},
        {{"--bogus"}, 2, true},
        {{"--version"}, 0, false},
        {{"--program-dir", "/no/such/folder/at/all", "--headless"}, 2, false},
    };
    for (const auto& c : cases) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunCommandLine(ParseCommandLine(c.arguments), out, err), c.status);
        const auto& shown = c.status == 0 ? out : err;
        EXPECT_EQ(shown.str().find("usage: zepimport") != std::string::npos, c.printsUsage)
            << shown.str();
    }
    std::ostringstream out;
    std::ostringstream err;
    RunCommandLine(ParseCommandLine({"--version"}), out, err);
    EXPECT_EQ(out.str(), "zepimport " + VersionNumberText(ProgramFileVersion()) + "\n");
}

// Windows sends a console program no signal: there the console's keys and its closing end it.
TEST(CommandLineTest, TheUsageNamesThisSystemsWayToEndTheService) {
#ifdef _WIN32
    const std::string way = "Ctrl+C, Ctrl+Break or closing the console ends the program";
    const std::string foreign = "SIGTERM";
#else
    const std::string way = "SIGINT or SIGTERM ends the program";
    const std::string foreign = "Ctrl+";
#endif
    std::ostringstream out;
    std::ostringstream err;
    RunCommandLine(ParseCommandLine({"--help"}), out, err);
    EXPECT_NE(out.str().find(way), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find(foreign), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find("--driver-host"), std::string::npos) << out.str();
}

TEST(CommandLineTest, WindowRunsWhereItIsBuiltAndOnlyThen) {
    int runs = 0;
    const WindowRunner window = [&runs] {
        ++runs;
        return 7;
    };
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCommandLine(ParseCommandLine({}), out, err, window), 7);
    EXPECT_EQ(RunCommandLine(ParseCommandLine({"--version"}), out, err, window), 0);
    EXPECT_EQ(RunCommandLine(ParseCommandLine({"--bogus"}), out, err, window), 2);
    EXPECT_EQ(runs, 1);
}

// Names arrive from the command line in UTF-8; taken as narrow paths (the ANSI code page on
// Windows) a name outside that page would be lost.
TEST(CommandLineTest, InspectsAFileNamedInCyrillic) {
    TempDir dir;
    const std::string file = PathToUtf8(dir.path() / PathFromUtf8("Архив учёта.txt"));
    WriteFileText(PathFromUtf8(file), "no archive");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCommandLine(ParseCommandLine({"--inspect", file}), out, err), 1);
    EXPECT_EQ(out.str(), file +
                             "\n  not a meter archive, assembled archive, card database or "
                             "session recording\n");
}

// The Windows package runs it when it removes the program: another copy's entry stays.
TEST(CommandLineTest, RemovesTheAutostartEntryOnlyWhenItNamesThisProgram) {
    EXPECT_EQ(ParseCommandLine({"--remove-autostart-if-mine"}).command,
              Command::RemoveOwnAutostart);
    FakeAutostart autostart;
    autostart.entry = "/opt/other/zepimport";
    EXPECT_EQ(RemoveOwnAutostart(autostart, "/opt/zep/zepimport"), 0);
    EXPECT_EQ(autostart.entry, "/opt/other/zepimport");
    autostart.entry = "/opt/zep/zepimport";
    EXPECT_EQ(RemoveOwnAutostart(autostart, "/opt/zep/zepimport"), 0);
    EXPECT_FALSE(autostart.entry);
}

TEST(ProgramVersionTest, AboutLineShowsMinorTwoDigitPatchAndTweak) {
    const std::pair<FileVersion, const char*> cases[] = {
        {{2009, 1, 10, 0}, "Версия 1.10.0"},
        {{2009, 1, 1, 0}, "Версия 1.01.0"},
        {{2009, 2, 123, 4}, "Версия 2.123.4"},
        {{2009, 0x10001, 0x10002, 0x10003}, "Версия 1.02.3"},  // parts are 16 bits
    };
    for (const auto& [version, text] : cases) {
        EXPECT_EQ(AboutVersionLine(version), text);
    }
}

TEST(ProgramVersionTest, BuildVersionIsTheProjectVersion) {
    const auto version = ProgramFileVersion();
    EXPECT_EQ(version.major, 2009u);
    EXPECT_EQ(AboutVersionLine(version), "Версия 1.10.0");
}

// CMake makes the packages' version from the project version by the same rule.
TEST(ProgramVersionTest, PackagesCarryTheVersionTheProgramShows) {
    EXPECT_EQ(VersionNumberText(ProgramFileVersion()), ZEP_PRODUCT_VERSION);
}

}  // namespace
}  // namespace zep::test
