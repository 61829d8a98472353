// HTML Help as the Windows backend reaches it: the registered control loads and its entry
// answers a topic request for a help file in a Cyrillic folder; a library that is missing, no
// library or without the entry gives no help, and is not looked for again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <string>

#include "platform/win32/html_help.h"
#include "tests/support/temp_dir.h"

namespace zep::win32 {
namespace {

namespace fs = std::filesystem;
using Result = HtmlHelpViewer::Result;

const fs::path kNullDriver = fs::path(ZEP_BINARY_DIR) / "test-drivers" / "vl_null.dll";
const std::wstring kTopic = L"::/AdapterDataImport.htm";

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return text;
}

fs::path SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length < MAX_PATH ? length : 0);
}

// Wine registers the control with its full path, as Windows does.
TEST(Win32HtmlHelp, TheRegisteredControlIsTheLibrary) {
    const fs::path library = Lower(HtmlHelpLibrary());
    EXPECT_TRUE(library.is_absolute()) << library.string();
    EXPECT_EQ(library.filename(), L"hhctrl.ocx");
}

TEST(Win32HtmlHelp, AskedForATopicOfAHelpFileInACyrillicFolder) {
    test::TempDir dir;
    const fs::path folder = dir.path() / L"Справка учёта";
    fs::create_directories(folder);
    const fs::path helpFile = folder / L"main.chm";
    test::WriteFileText(helpFile, "no compiled help inside\n");
    HtmlHelpViewer viewer(HtmlHelpLibrary());
    // HTML Help was loaded and asked; a file that is no compiled help shows nothing.
    EXPECT_EQ(viewer.DisplayTopic(nullptr, helpFile.wstring() + kTopic), Result::NotShown);
    EXPECT_EQ(viewer.DisplayTopic(nullptr, (folder / L"missing.chm").wstring() + kTopic),
              Result::NotShown);
}

TEST(Win32HtmlHelp, WithoutALoadableLibraryThereIsNoHelp) {
    test::TempDir dir;
    test::WriteFileText(dir / "text.ocx", "not a library at all\n");
    ASSERT_TRUE(fs::exists(kNullDriver));
    const fs::path libraries[] = {dir / "missing.ocx", dir / "text.ocx", kNullDriver};
    for (const auto& library : libraries) {
        HtmlHelpViewer viewer(library.wstring());
        EXPECT_EQ(viewer.DisplayTopic(nullptr, (dir / "main.chm").wstring() + kTopic),
                  Result::Unavailable)
            << library.string();
    }
}

TEST(Win32HtmlHelp, ALibraryThatFailedIsNotLookedForAgain) {
    test::TempDir dir;
    const fs::path library = dir / "hhctrl.ocx";
    const std::wstring request = (dir / "main.chm").wstring() + kTopic;
    HtmlHelpViewer viewer(library.wstring());
    EXPECT_EQ(viewer.DisplayTopic(nullptr, request), Result::Unavailable);
    // The control appears where it was looked for: a new viewer finds it, the old one does not.
    fs::copy_file(SystemFolder() / L"hhctrl.ocx", library);
    EXPECT_EQ(HtmlHelpViewer(library.wstring()).DisplayTopic(nullptr, request), Result::NotShown);
    EXPECT_EQ(viewer.DisplayTopic(nullptr, request), Result::Unavailable);
}

}  // namespace
}  // namespace zep::win32
