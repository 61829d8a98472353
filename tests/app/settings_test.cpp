// The settings file: defaults, values that are not numbers, all nine keys on save, files that
// are garbled or cannot be read.
#include <gtest/gtest.h>

#include "app/main_settings.h"
#include "platform/ini_document.h"
#include "tests/support/temp_dir.h"

namespace zep::test {
namespace {

StoredSettings Load(const std::filesystem::path& file) {
    StoredSettings settings;
    settings.options.expandActive = 7;  // every field must be overwritten
    settings.port = 9;
    ExchangeSettings(SettingsDirection::Load, file, settings);
    return settings;
}

TEST(SettingsTest, MissingFileGivesTheDefaultsAndStaysMissing) {
    TempDir dir;
    const auto settings = Load(dir / "zepimport.ini");
    EXPECT_EQ(settings.options.runMinimized, 0);
    EXPECT_EQ(settings.options.expandActive, 1);
    EXPECT_EQ(settings.options.deleteAfter, 0);
    EXPECT_EQ(settings.options.deleteFlash, 0);
    EXPECT_EQ(settings.options.removable, 1);
    EXPECT_EQ(settings.options.preview, 1);
    EXPECT_EQ(settings.saveBin, 0);
    EXPECT_EQ(settings.importOnce, 1);
    EXPECT_EQ(settings.port, 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "zepimport.ini"));
}

TEST(SettingsTest, ValuesAreReadFromTheirSectionsAndNonNumbersGiveZero) {
    TempDir dir;
    WriteFileText(dir / "zepimport.ini",
                  "[General]\r\nm_runMinimized=1\r\nm_expandActive=abc\r\nm_deleteFlash=1\r\n"
                  "SaveBin=1\r\nImportOnce=0\r\nm_port=4\r\n[COM Port]\r\nm_port=abc\r\n");
    const auto settings = Load(dir / "zepimport.ini");
    EXPECT_EQ(settings.options.runMinimized, 1);
    EXPECT_EQ(settings.options.expandActive, 0);
    EXPECT_EQ(settings.options.deleteFlash, 1);
    EXPECT_EQ(settings.options.removable, 1);  // missing: default
    EXPECT_EQ(settings.saveBin, 1);
    EXPECT_EQ(settings.importOnce, 0);
    EXPECT_EQ(settings.port, 0);  // "abc" in its own section; the General one is not it
}

TEST(SettingsTest, SaveWritesAllNineKeysInOrderAndKeepsForeignLines) {
    TempDir dir;
    const auto file = dir / "zepimport.ini";
    WriteFileText(file, "; kept\n[Other]\nx=1\n");
    StoredSettings settings;
    settings.options = {.runMinimized = 1,
                        .expandActive = 0,
                        .deleteAfter = 1,
                        .autoStart = 1,
                        .removable = 0,
                        .deleteFlash = 1,
                        .preview = 0};
    settings.saveBin = 1;
    settings.port = 12;
    ExchangeSettings(SettingsDirection::Save, file, settings);

    const std::string text = ReadFileText(file);
    EXPECT_NE(text.find("; kept"), std::string::npos);
    EXPECT_EQ(text.find("autoStart"), std::string::npos);  // kept in the autostart entry
    const IniDocument document(text);
    EXPECT_EQ(document.Get("Other", "x"), "1");
    const std::vector<std::pair<std::string, std::string>> keys = {
        {"m_runMinimized", "1"}, {"m_expandActive", "0"}, {"m_deleteAfter", "1"},
        {"m_deleteFlash", "1"},  {"m_removable", "0"},    {"m_preview", "0"},
        {"SaveBin", "1"},        {"ImportOnce", "1"}};
    std::size_t last = 0;
    for (const auto& [key, value] : keys) {
        EXPECT_EQ(document.Get("General", key), value) << key;
        const auto at = text.find(key + "=");
        ASSERT_NE(at, std::string::npos) << key;
        EXPECT_GT(at, last) << key << " out of order";
        last = at;
    }
    EXPECT_EQ(document.Get("COM Port", "m_port"), "12");
    EXPECT_GT(text.find("[COM Port]"), last);

    const auto reloaded = Load(file);
    EXPECT_EQ(reloaded.options.deleteAfter, 1);
    EXPECT_EQ(reloaded.options.removable, 0);
    EXPECT_EQ(reloaded.port, 12);
}

TEST(SettingsTest, GarbledFileLoadsWhatItCanAndDefaultsTheRest) {
    TempDir dir;
    const auto file = dir / "zepimport.ini";
    WriteFileBytes(file, {0xFF, 0x00, '[', 'G', 'e', 'n',  '\n', '=',  '=',  '\n', '[', 'G', 'e',
                          'n',  'e',  'r', 'a', 'l', ']',  '\n', 'm',  '_',  'p',  'r', 'e', 'v',
                          'i',  'e',  'w', '=', '0', 0x00, 0x01, '\n', 0xC0, 0xC1, '\n'});
    const auto settings = Load(file);
    EXPECT_EQ(settings.options.preview, 0);
    EXPECT_EQ(settings.options.expandActive, 1);
    EXPECT_EQ(settings.port, 0);
}

TEST(SettingsTest, UnreadableAndUnwritableFileIsHarmless) {
    TempDir dir;
    const auto file = dir / "zepimport.ini";
    std::filesystem::create_directory(file);  // a folder where the file should be
    const auto settings = Load(file);
    EXPECT_EQ(settings.options.expandActive, 1);
    StoredSettings changed;
    changed.port = 5;
    EXPECT_FALSE(ExchangeSettings(SettingsDirection::Save, file, changed));
    EXPECT_TRUE(std::filesystem::is_directory(file));
    EXPECT_TRUE(ExchangeSettings(SettingsDirection::Save, dir / "fresh.ini", changed));
}

TEST(SettingsTest, AUtf8MarkIsReadPastAndKept) {
    TempDir dir;
    const auto file = dir / "zepimport.ini";
    WriteFileText(file, "\xEF\xBB\xBF[General]\r\nm_preview=0\r\n");
    EXPECT_FALSE(SetAsideForeignSettings(file));
    auto settings = Load(file);
    EXPECT_EQ(settings.options.preview, 0);
    EXPECT_TRUE(ExchangeSettings(SettingsDirection::Save, file, settings));
    const std::string text = ReadFileText(file);
    EXPECT_TRUE(text.starts_with("\xEF\xBB\xBF[General]\r\nm_preview=0\r\n")) << text;
    EXPECT_EQ(text.find("[General]"), text.rfind("[General]")) << text;
}

TEST(SettingsTest, AUtf16FileIsSetAsideAndReplacedByAFreshOne) {
    const std::string ascii = "[General]\r\nm_preview=0\r\n";
    std::string withMark = "\xFF\xFE";
    std::string withoutMark;
    for (const char c : ascii) {
        withMark += std::string{c, '\0'};
        withoutMark += std::string{'\0', c};  // big-endian, no mark
    }
    for (const std::string& original : {withMark, withoutMark}) {
        TempDir dir;
        const auto file = dir / "zepimport.ini";
        WriteFileText(file, original);
        const auto line = SetAsideForeignSettings(file);
        ASSERT_TRUE(line);
        EXPECT_TRUE(line->starts_with("$04")) << *line;
        EXPECT_NE(line->find(file.string() + ".bad"), std::string::npos) << *line;
        EXPECT_EQ(ReadFileText(dir / "zepimport.ini.bad"), original);
        auto settings = Load(file);
        EXPECT_EQ(settings.options.preview, 1);
        EXPECT_TRUE(ExchangeSettings(SettingsDirection::Save, file, settings));
        EXPECT_TRUE(ReadFileText(file).starts_with("[General]\nm_runMinimized=0\n"));
    }
}

}  // namespace
}  // namespace zep::test
