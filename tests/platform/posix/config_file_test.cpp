// Configuration files are read from plain files of a sensible size only: a FIFO, a device behind
// a link or an oversized file counts as missing, never blocks or fills the memory, and is not
// replaced by the settings save.
#include "platform/config_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>

#include "platform/ini_document.h"
#include "tests/support/temp_dir.h"

namespace zep::test {
namespace {

namespace fs = std::filesystem;

struct Case {
    const char* what;
    std::function<void(const fs::path& name)> make;
    ConfigFileState state;
};

TEST(ConfigFile, OnlyPlainFilesOfASensibleSizeAreRead) {
    const std::string settings = "[General]\nm_port=3\n";
    const auto bigFile = [](std::size_t size) {
        return [size](const fs::path& name) { WriteFileText(name, std::string(size, 'x')); };
    };
    const Case cases[] = {
        {"plain file", [&](const fs::path& name) { WriteFileText(name, settings); },
         ConfigFileState::Read},
        {"link to a plain file",
         [&](const fs::path& name) {
             WriteFileText(name.parent_path() / "elsewhere", settings);
             fs::create_symlink(name.parent_path() / "elsewhere", name);
         },
         ConfigFileState::Read},
        {"exactly the largest size", bigFile(kMaxConfigFileBytes), ConfigFileState::Read},
        {"missing", [](const fs::path&) {}, ConfigFileState::Missing},
        {"FIFO", [](const fs::path& name) { ASSERT_EQ(mkfifo(name.c_str(), 0600), 0); },
         ConfigFileState::NotPlainFile},
        {"link to /dev/zero", [](const fs::path& name) { fs::create_symlink("/dev/zero", name); },
         ConfigFileState::NotPlainFile},
        {"link to a FIFO",
         [](const fs::path& name) {
             ASSERT_EQ(mkfifo((name.parent_path() / "fifo").c_str(), 0600), 0);
             fs::create_symlink(name.parent_path() / "fifo", name);
         },
         ConfigFileState::NotPlainFile},
        {"folder", [](const fs::path& name) { fs::create_directory(name); },
         ConfigFileState::NotPlainFile},
        {"one byte too large", bigFile(kMaxConfigFileBytes + 1), ConfigFileState::TooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path name = dir / "zepimport.ini";
        c.make(name);
        const ConfigFileText read = ReadConfigFile(name);
        EXPECT_EQ(read.state, c.state);
        const bool readable = c.state == ConfigFileState::Read;
        EXPECT_EQ(IniDocument::Load(name).Get("General", "m_port").has_value(),
                  readable && read.text == settings);
        if (readable || c.state == ConfigFileState::Missing) {
            continue;
        }
        // What was not read is not replaced (nor written into) by a save.
        const auto type = fs::symlink_status(name).type();
        IniDocument document;
        document.Set("General", "m_port", "5");
        EXPECT_FALSE(document.Save(name));
        EXPECT_EQ(fs::symlink_status(name).type(), type);
    }
}

}  // namespace
}  // namespace zep::test
