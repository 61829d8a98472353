// A raw file whose time-stamped name is taken waits for the next second instead of replacing it.
#include "link/raw_file.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/time_base.h"
#include "tests/support/fake_clock.h"
#include "tests/support/temp_dir.h"

namespace zep {
namespace {

PendingFile PendingWith(const std::filesystem::path& folder, const std::string& content) {
    auto pending = PendingFile::Create(folder);
    EXPECT_TRUE(pending.has_value());
    EXPECT_EQ(pending->Write(std::string_view(content)), content.size());
    return std::move(*pending);
}

TEST(PublishTimeStamped, WaitsForTheNextSecondWhileTheNameIsTaken) {
    test::TempDir dir;
    test::FakeClock clock(1796619600);
    const auto stampOf = [](std::time_t t) {
        return FormatLocalTime(t, kFileStampPattern) + ".bin";
    };

    auto first = PendingWith(dir.path(), "first");
    EXPECT_EQ(PublishTimeStamped(first, dir.path(), ".bin", clock), dir / stampOf(1796619600));
    EXPECT_EQ(clock.SleptMs(), 0);

    auto second = PendingWith(dir.path(), "second");
    EXPECT_EQ(PublishTimeStamped(second, dir.path(), ".bin", clock), dir / stampOf(1796619601));
    EXPECT_GE(clock.SleptMs(), 1);
    EXPECT_LE(clock.SleptMs(), 1000);
    EXPECT_EQ(test::ReadFileText(dir / stampOf(1796619600)), "first");
    EXPECT_EQ(test::ReadFileText(dir / stampOf(1796619601)), "second");

    auto lost = PendingWith(dir.path(), "x");
    EXPECT_EQ(PublishTimeStamped(lost, dir / "missing", ".bin", clock), std::nullopt);
}

}  // namespace
}  // namespace zep
