// Bytes patched in place: only the bytes named change, and a file that cannot be written (gone,
// or a folder in its place, as a pulled or replaced card leaves it) reports failure.
#include "platform/file_patch.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/temp_dir.h"

namespace zep {
namespace {

namespace fs = std::filesystem;

TEST(PatchFileBytes, ChangesOnlyTheNamedBytes) {
    test::TempDir dir;
    test::WriteFileText(dir / "card.dat", "0123456789");
    const std::vector<BytePatch> patches = {{2, 'x'}, {9, 'y'}, {2, 'z'}};
    EXPECT_TRUE(PatchFileBytes(dir / "card.dat", patches));
    EXPECT_EQ(test::ReadFileText(dir / "card.dat"), "01z345678y");
    EXPECT_TRUE(PatchFileBytes(dir / "card.dat", {}));
}

TEST(PatchFileBytes, AFileThatCannotBeWrittenFails) {
    test::TempDir dir;
    fs::create_directories(dir / "folder.dat");
    const std::vector<BytePatch> patches = {{0, 'x'}};
    EXPECT_FALSE(PatchFileBytes(dir / "missing.dat", patches));
    EXPECT_FALSE(PatchFileBytes(dir / "folder.dat", patches));
    EXPECT_FALSE(fs::exists(dir / "missing.dat"));
}

}  // namespace
}  // namespace zep
