// Files of the program folder: only plain files are moved or published, links are never
// followed, FIFOs never block, and new files get the permissions the user's umask allows.
#include "platform/regular_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/publish_file.h"
#include "tests/support/temp_dir.h"

namespace zep::test {
namespace {

namespace fs = std::filesystem;

// A fresh folder on another file system than the temporary folder (/dev/shm is in memory).
class OtherFileSystemDir {
public:
    OtherFileSystemDir() {
        std::error_code error;
        if (fs::is_directory("/dev/shm", error)) {
            m_path = "/dev/shm/zeptest-" +
                     std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                     std::to_string(::getpid());
            fs::create_directories(m_path);
        }
    }
    ~OtherFileSystemDir() {
        std::error_code error;
        if (!m_path.empty()) {
            fs::remove_all(m_path, error);
        }
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

TEST(RegularFile, ProbesTellPlainFilesFromLinksFifosAndFolders) {
    TempDir dir;
    WriteFileText(dir / "plain", "abc");
    fs::create_symlink(dir / "plain", dir / "link");
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::create_directory(dir / "folder");
    EXPECT_EQ(ProbeFile(dir / "plain").kind, FileKind::Regular);
    EXPECT_EQ(ProbeFile(dir / "plain").size, 3u);
    EXPECT_EQ(ProbeFile(dir / "link").kind, FileKind::Other);
    EXPECT_EQ(ProbeFile(dir / "fifo").kind, FileKind::Other);
    EXPECT_EQ(ProbeFile(dir / "folder").kind, FileKind::Folder);
    EXPECT_EQ(ProbeFile(dir / "absent").kind, FileKind::Missing);
}

TEST(RegularFile, OnlyPlainFilesAreMovedWithinAndAcrossFileSystems) {
    const OtherFileSystemDir other;
    TempDir same;
    for (const fs::path& target :
         {same.path(), other.path().empty() ? same.path() : other.path()}) {
        TempDir dir;
        WriteFileText(dir / "secret", "secret");
        fs::create_symlink(dir / "secret", dir / "link.bil");
        ASSERT_EQ(mkfifo((dir / "fifo.bil").c_str(), 0600), 0);
        WriteFileText(dir / "plain.bil", "zvo");
        const auto nameFor = [&](int n) { return target / ("out_" + std::to_string(n) + ".zvo"); };
        EXPECT_EQ(MoveRegularFileNumbered(dir / "link.bil", nameFor), std::nullopt);
        EXPECT_EQ(MoveRegularFileNumbered(dir / "fifo.bil", nameFor), std::nullopt);
        const auto moved = MoveRegularFileNumbered(dir / "plain.bil", nameFor);
        ASSERT_TRUE(moved);
        EXPECT_EQ(ProbeFile(*moved).kind, FileKind::Regular);
        EXPECT_EQ(ReadFileText(*moved), "zvo");
        EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "plain.bil")));
        EXPECT_TRUE(fs::is_symlink(dir / "link.bil"));
        EXPECT_TRUE(fs::is_fifo(fs::symlink_status(dir / "fifo.bil")));
        std::size_t entries = 0;
        for (const auto& entry : fs::directory_iterator(target)) {
            entries += entry.path().extension() == ".zvo" ? 1 : 0;
        }
        EXPECT_EQ(entries, 1u);
        fs::remove(*moved);
    }
}

TEST(RegularFile, PublishedFilesGetThePermissionsTheUmaskAllows) {
    TempDir dir;
    const mode_t previous = umask(077);
    auto pending = PendingFile::Create(dir.path());
    ASSERT_TRUE(pending);
    pending->Write(std::string_view("x"));
    const auto published = pending->Publish(dir / "out.imp");
    umask(previous);
    ASSERT_EQ(published, PublishResult::Published);
    struct stat status {};
    ASSERT_EQ(lstat((dir / "out.imp").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

}  // namespace
}  // namespace zep::test
