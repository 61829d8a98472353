// A failed call's reason as the log says it, through the backend of the system the tests run
// on: a missing folder or file is "not found" on every system, a case without words of ours is
// said in the system's own words, and a failure without a code adds no line.
#include "platform/system_error.h"

#include <gtest/gtest.h>

#include "core/path_text.h"
#include "platform/publish_file.h"
#include "tests/support/temp_dir.h"

namespace zep {
namespace {

TEST(SystemError, MissingFoldersAndFilesAreNotFound) {
    test::TempDir dir;
    const auto missing = dir / "missing";
    const SystemError reasons[] = {
        PendingFile::Create(missing).Error(),
        RemoveFile(missing).Error(),
        FlushFolder(missing).Error(),
    };
    for (const SystemError& reason : reasons) {
        EXPECT_EQ(KindOf(reason), FailureKind::NotFound);
        EXPECT_EQ(ReasonLine(reason, PathToUtf8(missing)),
                  "$04Причина: " + PathToUtf8(missing) + ": нет такого файла или папки");
    }
}

TEST(SystemError, OtherCasesInTheSystemsWordsAndNoLineWithoutACode) {
    const std::string text =
        ReasonText(FromErrorCode(std::make_error_code(std::errc::invalid_argument)));
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find("код ошибки"), std::string::npos);
    EXPECT_EQ(ReasonLine(SystemError{}, "file"), std::nullopt);
    EXPECT_EQ(ReasonLine(FromErrorCode({})), std::nullopt);
}

}  // namespace
}  // namespace zep
