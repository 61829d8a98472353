// Publishing files: invisible until complete and flushed, a taken name never replaced, numbered
// names and moves, and a source kept until its copy is on disk.
#include "platform/publish_file.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "platform/publish_batch.h"
#include "platform/regular_file.h"
#include "platform/time_base.h"
#include "tests/support/failing_files.h"
#include "tests/support/temp_dir.h"

namespace zep {
namespace {

namespace fs = std::filesystem;

// What the conversion worker and the dispatch system scan for: "*.bi?" and "*.imp".
bool SeenByScanners(const std::string& name) {
    const auto n = name.size();
    return (n >= 4 && name.compare(n - 4, 3, ".bi") == 0) ||
           (n >= 4 && name.compare(n - 4, 4, ".imp") == 0);
}

PendingFile PendingWith(const fs::path& folder, const std::string& content) {
    auto pending = PendingFile::Create(folder);
    EXPECT_TRUE(pending.has_value());
    EXPECT_EQ(pending->Write(std::string_view(content)), content.size());
    return std::move(*pending);
}

// Root ignores permission bits; a folder only counts as read-only if a write really fails.
bool FolderRefusesWrites(const fs::path& folder) {
    const auto probe = folder / "probe";
    test::WriteFileText(probe, "x");
    const bool refused = !fs::exists(probe);
    fs::remove(probe);
    return refused;
}

TEST(PendingFile, IsInvisibleUntilPublishedThenHasExactlyTheContent) {
    test::TempDir dir;
    auto pending = PendingWith(dir.path(), "line 1\r\nline 2\r\n");
    const auto during = test::ListFiles(dir.path());
    ASSERT_EQ(during.size(), 1u);
    EXPECT_FALSE(SeenByScanners(during[0])) << during[0];
    EXPECT_EQ(during[0][0], '.');

    const auto final = dir / "20261207080000_0.imp";
    EXPECT_EQ(pending.Publish(final), PublishResult::Published);
    EXPECT_EQ(test::ListFiles(dir.path()), std::vector<std::string>{"20261207080000_0.imp"});
    EXPECT_EQ(test::ReadFileText(final), "line 1\r\nline 2\r\n");
    // A published file cannot be published again.
    EXPECT_EQ(pending.Publish(dir / "other.imp"), PublishResult::Failed);
}

TEST(PendingFile, TakenNameKeepsTheTemporaryForTheNextAttempt) {
    test::TempDir dir;
    test::WriteFileText(dir / "a.bia", "older file");
    auto pending = PendingWith(dir.path(), "new data");
    EXPECT_EQ(pending.Publish(dir / "a.bia"), PublishResult::NameTaken);
    EXPECT_TRUE(fs::exists(pending.TemporaryPath()));
    EXPECT_EQ(test::ReadFileText(dir / "a.bia"), "older file");
    EXPECT_EQ(pending.Publish(dir / "b.bia"), PublishResult::Published);
    EXPECT_EQ(test::ReadFileText(dir / "b.bia"), "new data");
    EXPECT_EQ(test::ListFiles(dir.path()), (std::vector<std::string>{"a.bia", "b.bia"}));
}

TEST(PendingFile, PiecesAreWrittenInOrderHoweverManyThereAre) {
    test::TempDir dir;
    // More pieces than one system call takes, empty ones among them.
    std::vector<std::vector<std::uint8_t>> pieces;
    std::string expected;
    for (int k = 0; k < 3000; ++k) {
        std::vector<std::uint8_t> piece(static_cast<std::size_t>(k % 7), 0);
        for (auto& byte : piece) {
            byte = static_cast<std::uint8_t>('a' + k % 26);
            expected.push_back(static_cast<char>(byte));
        }
        pieces.push_back(std::move(piece));
    }
    const std::vector<std::span<const std::uint8_t>> views(pieces.begin(), pieces.end());
    auto pending = PendingFile::Create(dir.path());
    ASSERT_TRUE(pending.has_value());
    EXPECT_EQ(pending->Write(views), expected.size());
    ASSERT_EQ(pending->Publish(dir / "out.bin"), PublishResult::Published);
    EXPECT_EQ(test::ReadFileText(dir / "out.bin"), expected);
}

TEST(PendingFile, UnpublishedTemporaryIsRemovedWithItsOwner) {
    test::TempDir dir;
    {
        auto pending = PendingWith(dir.path(), "abandoned");
        auto moved = std::move(pending);  // the moved-from object must not remove it early
        EXPECT_EQ(test::ListFiles(dir.path()).size(), 1u);
    }
    EXPECT_TRUE(test::ListFiles(dir.path()).empty());
}

TEST(PendingFile, MissingFolderFails) {
    test::TempDir dir;
    EXPECT_FALSE(PendingFile::Create(dir / "missing").has_value());

    auto pending = PendingWith(dir.path(), "x");
    EXPECT_EQ(pending.Publish(dir / "missing" / "a.imp"), PublishResult::Failed);
    EXPECT_EQ(PublishNumbered(pending, [&](int n) { return dir / "missing" / std::to_string(n); }),
              std::nullopt);
    EXPECT_EQ(pending.Replace(dir / "missing" / "a.ini"), PublishResult::Failed);
    // The temporary survives every failure, ready for another attempt.
    EXPECT_TRUE(fs::exists(pending.TemporaryPath()));
}

TEST(PendingFile, ReadOnlyFolderFails) {
    test::TempDir dir;
    const auto locked = dir / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    if (!FolderRefusesWrites(locked)) {
        GTEST_SKIP() << "permission bits are not enforced for this user";
    }
    EXPECT_FALSE(PendingFile::Create(locked).has_value());
}

TEST(PendingFile, ReplaceOverwritesAnExistingFileWhole) {
    test::TempDir dir;
    test::WriteFileText(dir / "zepimport.ini", "old content that is longer");
    auto pending = PendingWith(dir.path(), "new");
    EXPECT_EQ(pending.Replace(dir / "zepimport.ini"), PublishResult::Published);
    EXPECT_EQ(test::ReadFileText(dir / "zepimport.ini"), "new");
    EXPECT_EQ(test::ListFiles(dir.path()), std::vector<std::string>{"zepimport.ini"});
}

TEST(PublishBatch, FinishedFilesAreFlushedTogetherThenPublishedWhole) {
    test::TempDir dir;
    PublishBatch batch(dir.path());
    EXPECT_TRUE(batch.FlushContents());  // nothing to flush
    for (const char* content : {"first", "second", "third"}) {
        auto pending = PendingWith(dir.path(), content);
        ASSERT_TRUE(pending.Finish());
        batch.Add(std::move(pending));
    }
    ASSERT_EQ(batch.Size(), 3u);
    EXPECT_TRUE(batch.FlushContents());
    EXPECT_EQ(batch.File(1).Publish(dir / "b.bin"), PublishResult::Published);
    EXPECT_EQ(batch.File(0).Publish(dir / "b.bin"), PublishResult::NameTaken);
    EXPECT_EQ(batch.File(0).Publish(dir / "a.bin"), PublishResult::Published);
    EXPECT_TRUE(batch.FlushNames());
    EXPECT_EQ(test::ReadFileText(dir / "a.bin"), "first");
    EXPECT_EQ(test::ReadFileText(dir / "b.bin"), "second");
    // The file never published goes with the batch.
    EXPECT_EQ(test::ListFiles(dir.path()).size(), 3u);
    { PublishBatch gone = std::move(batch); }
    EXPECT_EQ(test::ListFiles(dir.path()), (std::vector<std::string>{"a.bin", "b.bin"}));
    EXPECT_FALSE(PublishBatch(dir / "missing").FlushNames());
}

TEST(PublishNumbered, TakesTheFirstFreeAttemptNumber) {
    test::TempDir dir;
    const auto nameFor = [&](int attempt) {
        return dir / ("20261207080000_" + std::to_string(attempt) + ".imp");
    };
    for (int i = 0; i < 3; ++i) {
        auto pending = PendingWith(dir.path(), "file " + std::to_string(i));
        EXPECT_EQ(PublishNumbered(pending, nameFor), nameFor(i));
    }
    EXPECT_EQ(test::ReadFileText(nameFor(2)), "file 2");
    auto pending = PendingWith(dir.path(), "no room");
    EXPECT_EQ(PublishNumbered(pending, nameFor, 3), std::nullopt);
}

TEST(MoveNumbered, MovesToTheFirstFreeNameAndKeepsTheSourceOnFailure) {
    test::TempDir dir;
    fs::create_directory(dir / "out");
    const auto nameFor = [&](int attempt) {
        return dir / "out" / ("a_" + std::to_string(attempt) + ".bil");
    };
    test::WriteFileText(nameFor(0), "taken");
    test::WriteFileText(dir / "x.bil", "protocol");
    EXPECT_EQ(MoveNumbered(dir / "x.bil", nameFor), nameFor(1));
    EXPECT_FALSE(fs::exists(dir / "x.bil"));
    EXPECT_EQ(test::ReadFileText(nameFor(1)), "protocol");
    EXPECT_EQ(test::ReadFileText(nameFor(0)), "taken");

    test::WriteFileText(dir / "y.bil", "stays");
    EXPECT_EQ(MoveNumbered(dir / "y.bil", [&](int) { return dir / "nowhere" / "y.bil"; }),
              std::nullopt);
    EXPECT_EQ(test::ReadFileText(dir / "y.bil"), "stays");
    EXPECT_EQ(MoveNumbered(dir / "absent.bil", nameFor), std::nullopt);
}

// A folder on another file system than the test's temporary folder: /dev/shm on most Linux
// machines. Where a hard link into it works there is nothing to test.
class OtherFileSystem : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::is_directory("/dev/shm")) {
            GTEST_SKIP() << "no /dev/shm";
        }
        fs::create_directory(target);
        test::WriteFileText(dir / "probe", "p");
        std::error_code crossDevice;
        fs::create_hard_link(dir / "probe", target / "probe", crossDevice);
        if (!crossDevice) {
            GTEST_SKIP() << "temporary folder and /dev/shm share a file system";
        }
    }
    ~OtherFileSystem() override {
        std::error_code ignored;
        fs::remove_all(target, ignored);
    }
    fs::path NameFor(int n) const { return target / ("big_" + std::to_string(n) + ".bil"); }

    test::TempDir dir;
    fs::path target = fs::path("/dev/shm") / ("zeptest-move-" + dir.path().filename().string());
};

TEST_F(OtherFileSystem, MoveNumberedCopies) {
    std::vector<std::uint8_t> content(200000);
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<std::uint8_t>(i * 7);
    test::WriteFileBytes(dir / "big.bil", content);
    test::WriteFileText(target / "big_0.bil", "taken");
    const auto moved = MoveNumbered(dir / "big.bil", [&](int n) { return NameFor(n); });
    EXPECT_EQ(moved, target / "big_1.bil");
    EXPECT_FALSE(fs::exists(dir / "big.bil"));
    EXPECT_EQ(test::ReadFileBytes(target / "big_1.bil"), content);
    EXPECT_EQ(test::ListFiles(target), (std::vector<std::string>{"big_0.bil", "big_1.bil"}));
}

// The source goes only when its copy is on disk under its new name.
TEST_F(OtherFileSystem, AFailedPublishOfTheCopyKeepsTheSource) {
    // The first link is the attempt within one file system, which fails with "another file
    // system"; the second names the copy.
    const std::pair<FileCall, int> faults[] = {
        {FileCall::Create, 0}, {FileCall::Write, 0}, {FileCall::Flush, 0}, {FileCall::Link, 2}};
    const auto nameFor = [&](int n) { return NameFor(n); };
    for (const auto& [call, nth] : faults) {
        for (const bool regular : {false, true}) {
            test::WriteFileText(dir / "big.bil", "stays");
            test::FailingFiles files;
            files.Fail(call, nth);
            const auto moved = regular ? MoveRegularFileNumbered(dir / "big.bil", nameFor)
                                       : MoveNumbered(dir / "big.bil", nameFor);
            EXPECT_EQ(moved, std::nullopt);
            EXPECT_EQ(test::ReadFileText(dir / "big.bil"), "stays");
            EXPECT_EQ(test::ListFiles(target), std::vector<std::string>{});
        }
    }
}

// What the disk cannot store is never given a name a reader looks for; stored, it is flushed
// before it is named.
TEST(PendingFile, ContentIsFlushedBeforeItIsNamedAndAFailedFlushNamesNothing) {
    test::TempDir dir;
    {
        test::FailingFiles files;
        auto pending = PendingWith(dir.path(), "content");
        ASSERT_EQ(pending.Publish(dir / "a.bil"), PublishResult::Published);
        const int flush = files.IndexOf(FileCall::Flush);
        ASSERT_GE(flush, 0);
        EXPECT_LT(flush, files.IndexOf(FileCall::Link, "a.bil"));
    }
    for (const bool finished : {false, true}) {
        test::FailingFiles files;
        files.Fail(FileCall::Flush, 0);
        auto pending = PendingWith(dir.path(), "content");
        if (finished) {
            ASSERT_TRUE(pending.Finish());
        }
        EXPECT_EQ(pending.Publish(dir / "b.bil"), PublishResult::Failed);
        EXPECT_EQ(pending.Replace(dir / "b.bil"), PublishResult::Failed);
        EXPECT_FALSE(fs::exists(dir / "b.bil"));
    }
}

// A start removes the temporaries its own program folder's program left behind (a crash leaves
// them), and nothing of another program writing into the same folder, nor what only looks like
// a temporary.
TEST(Temporaries, AStartRemovesOnlyItsOwnLeftovers) {
    test::TempDir dir;
    SetTemporaryNameTag("other");
    auto foreign = PendingFile::Create(dir.path());  // another program folder's, still written
    SetTemporaryNameTag("");
    EXPECT_EQ(RemoveOwnTemporaries(dir.path()), 0);  // without a tag nothing is ours
    SetTemporaryNameTag("ab12cd34");
    auto left = PendingFile::Create(dir.path());
    ASSERT_TRUE(foreign && left);
    const fs::path leftover = left->TemporaryPath();
    left->Finish();
    // A crash: the temporary stays, never published and never removed.
    const fs::path kept = dir / "kept.tmp";
    fs::copy_file(leftover, kept);
    fs::create_directory(dir / ".zepimport-ab12cd34-folder.tmp");
    test::WriteFileText(dir / "20240101120000.bia", "raw");
    EXPECT_EQ(RemoveOwnTemporaries(dir.path()), 1);
    EXPECT_TRUE(fs::exists(kept));
    EXPECT_TRUE(fs::exists(foreign->TemporaryPath()));
    EXPECT_TRUE(fs::is_directory(dir / ".zepimport-ab12cd34-folder.tmp"));
    EXPECT_TRUE(fs::exists(dir / "20240101120000.bia"));
    EXPECT_EQ(leftover.filename().string().rfind(".zepimport-ab12cd34-", 0), 0u);
    SetTemporaryNameTag("");
}

}  // namespace
}  // namespace zep
