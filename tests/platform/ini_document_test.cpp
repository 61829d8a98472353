// INI text: lookups in any letter case, CR LF and LF files alike, and writes that leave every
// other byte of the file as it was.
#include "platform/ini_document.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_dir.h"

namespace zep {
namespace {

TEST(IniDocument, LookupIgnoresCaseBlanksAndQuotes) {
    const IniDocument doc(
        "top=outside any section\n"
        "[ General ]\n"
        "  Key One  =  value with blanks  \n"
        "quoted=\"  spaced  \"\n"
        "; hidden=comment\n"
        "# also=comment\n"
        "noequals\n"
        "[Second]\n"
        "key one=second\n");
    EXPECT_EQ(doc.Get("general", "KEY ONE"), "value with blanks");
    EXPECT_EQ(doc.Get("GENERAL", "quoted"), "  spaced  ");
    EXPECT_EQ(doc.Get("second", "Key One"), "second");
    EXPECT_EQ(doc.Get("General", "hidden"), std::nullopt);
    EXPECT_EQ(doc.Get("General", "also"), std::nullopt);
    EXPECT_EQ(doc.Get("General", "noequals"), std::nullopt);
    EXPECT_EQ(doc.Get("General", "top"), std::nullopt);
    EXPECT_EQ(doc.Get("Missing", "key one"), std::nullopt);
}

TEST(IniDocument, CrLfAndLfFilesReadAlike) {
    const IniDocument lf("[A]\nk=v\n");
    const IniDocument crlf("[A]\r\nk=v\r\n");
    EXPECT_EQ(lf.Get("A", "k"), "v");
    EXPECT_EQ(crlf.Get("A", "k"), "v");
    EXPECT_EQ(IniDocument("[A]\r\nk=v").Get("A", "k"), "v");  // no line end at all
}

TEST(IniDocument, ReplacingAValueLeavesEveryOtherByteAsItWas) {
    const std::string text =
        "; header comment\r\n"
        "[Other]\r\n"
        "x = 1 ; not a comment for us\r\n"
        "\r\n"
        "[General]\r\n"
        "first=1\r\n"
        "m_port=2\r\n"
        "last=3\r\n";
    IniDocument doc(text);
    EXPECT_EQ(doc.Text(), text);
    doc.Set("general", "M_PORT", "5");
    std::string expected = text;
    expected.replace(expected.find("m_port=2"), 8, "M_PORT=5");
    EXPECT_EQ(doc.Text(), expected);
    EXPECT_EQ(doc.Get("General", "m_port"), "5");
}

TEST(IniDocument, NewKeysJoinTheirSectionAndNewSectionsGoAtTheEnd) {
    IniDocument doc("[A]\na=1\n\n\n[B]\nb=1\n");
    doc.Set("A", "a2", "2");
    doc.Set("B", "b2", "2");
    doc.Set("C", "c", "3");
    EXPECT_EQ(doc.Text(), "[A]\na=1\na2=2\n\n\n[B]\nb=1\nb2=2\n\n[C]\nc=3\n");

    IniDocument empty;
    empty.Set("General", "k", "v");
    EXPECT_EQ(empty.Text(), "[General]\nk=v\n");
}

TEST(IniDocument, FilesRoundTripAndMissingFilesAreEmpty) {
    test::TempDir dir;
    EXPECT_EQ(IniDocument::Load(dir / "absent.ini").Text(), "");
    const std::string text = "[S]\r\nkey=\xC4\xEE\xEC\r\n";  // Windows-1251 bytes stay bytes
    test::WriteFileText(dir / "a.ini", text);
    auto doc = IniDocument::Load(dir / "a.ini");
    EXPECT_EQ(doc.Get("s", "KEY"), "\xC4\xEE\xEC");
    doc.Set("S", "n", "1");
    ASSERT_TRUE(doc.Save(dir / "a.ini"));
    EXPECT_EQ(test::ReadFileText(dir / "a.ini"), "[S]\r\nkey=\xC4\xEE\xEC\r\nn=1\r\n");
    EXPECT_FALSE(doc.Save(dir / "missing" / "a.ini"));
}

}  // namespace
}  // namespace zep
