// The native preview dialog under Wine: the rows of a card folder, the keys of the checked
// rows, the cancel when the card is pulled, the layout kept in zepimplst.cfg, and the poll
// opening it for a new card.
#include <windows.h>

#include <commctrl.h>

#include "core/crc16.h"
#include "core/import_history.h"
#include "core/utf8_text.h"
#include "tests/support/recording_report.h"
#include "tests/window_win32/window_fixture.h"
#include "ui/list_layout.h"
#include "ui/preview_template.h"
#include "window/win32/preview_dialog.h"

namespace zep::test {
namespace {

SelectionKey KeyOf(const std::string& name) {
    return static_cast<SelectionKey>(Crc16(name.data(), name.size())) << 16;
}

class PreviewDialogTest : public WindowTest {
protected:
    PreviewDialogTest() {
        std::filesystem::create_directories(folder);
        WriteFileText(folder / "a.zvo", "protocol a");
        WriteFileText(folder / "b.zvo", "protocol b");
    }

    std::filesystem::path LayoutFile() const { return dir / std::string(kListLayoutFileName); }
    std::optional<std::vector<SelectionKey>> Run(const ImportHistory* history = nullptr) {
        return win32::PreviewDialog(GetModuleHandleW(nullptr), folder.string(), LayoutFile(),
                                    history)
            .Run();
    }
    // The list's custom draw of one item, as the list view asks for it; the colour it is drawn
    // in, or nothing when it is drawn as usual.
    std::optional<COLORREF> ItemColour(int row) const {
        NMLVCUSTOMDRAW draw{};
        draw.nmcd.hdr = {List(), static_cast<UINT_PTR>(kPreviewListId), NM_CUSTOMDRAW};
        draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
        SendMessageW(Dialog(), WM_NOTIFY, kPreviewListId, reinterpret_cast<LPARAM>(&draw));
        return GetWindowLongPtrW(Dialog(), DWLP_MSGRESULT) == CDRF_NEWFONT
                   ? std::optional(draw.clrText)
                   : std::nullopt;
    }
    HWND Dialog() const { return FindDialog(folder.wstring()); }
    HWND List() const { return GetDlgItem(Dialog(), kPreviewListId); }
    // The card has been read: the summary replaced the reading text.
    bool Read() const {
        return Dialog() &&
               Narrow(WindowText(GetDlgItem(Dialog(), kPreviewStatusId))) != kPreviewReadingText;
    }
    void Click(int id) const { SendMessageW(Dialog(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    void ClickHeader(int column) const {
        NMLISTVIEW notify{};
        notify.hdr = {List(), static_cast<UINT_PTR>(kPreviewListId), LVN_COLUMNCLICK};
        notify.iItem = -1;
        notify.iSubItem = column;
        SendMessageW(Dialog(), WM_NOTIFY, kPreviewListId, reinterpret_cast<LPARAM>(&notify));
    }
    std::wstring Cell(int row, int column) const {
        wchar_t text[64] = {};
        ListView_GetItemText(List(), row, column, text, 64);
        return text;
    }

    std::filesystem::path folder = dir / "card" / "Pexilor" / "Tessal";
};

TEST_F(PreviewDialogTest, ListsTheFolderAndReturnsTheKeysOfTheCheckedRows) {
    std::wstring summary;
    std::vector<std::wstring> types;
    ModalAction act([&] { return Read(); },
                    [&] {
                        summary = WindowText(GetDlgItem(Dialog(), kPreviewStatusId));
                        for (int row = 0; row < ListView_GetItemCount(List()); ++row) {
                            types.push_back(Cell(row, 1));
                        }
                        ListView_SetCheckState(List(), 1, TRUE);
                        Click(IDOK);
                    });
    const auto selection = Run();
    ASSERT_TRUE(selection);
    EXPECT_EQ(types, (std::vector<std::wstring>(2, L"Печатный протокол")));
    EXPECT_EQ(Narrow(summary), "Найдены данные 0 приборов в 2 файлах (0.00 Мб)");
    ASSERT_EQ(selection->size(), 1u);
    EXPECT_TRUE((*selection)[0] == KeyOf("a.zvo") || (*selection)[0] == KeyOf("b.zvo"));
}

// A row whose archive the history holds is drawn grey and says so after its date; checking it
// imports it all the same.
TEST_F(PreviewDialogTest, ARowImportedBeforeIsGreyAndCheckingItTakesItAgain) {
    MemoryImportHistory history;
    RecordingReport quiet;
    const std::string known = "protocol a";
    history.Record(std::vector{ArchiveKeyOf(std::span(
                       reinterpret_cast<const std::uint8_t*>(known.data()), known.size()))},
                   quiet);
    std::vector<std::wstring> dates;
    std::vector<std::optional<COLORREF>> colours;
    int marked = -1;
    ModalAction act([&] { return Read(); },
                    [&] {
                        for (int row = 0; row < ListView_GetItemCount(List()); ++row) {
                            dates.push_back(Cell(row, 4));
                            colours.push_back(ItemColour(row));
                            marked = dates.back().empty() ? marked : row;
                        }
                        ListView_SetCheckState(List(), marked, TRUE);
                        Click(IDOK);
                    });
    const auto selection = Run(&history);
    ASSERT_EQ(dates.size(), 2u);
    ASSERT_GE(marked, 0);
    EXPECT_EQ(Narrow(dates[marked]), "(импортировано)");
    EXPECT_EQ(colours[marked], std::optional(GetSysColor(COLOR_GRAYTEXT)));
    EXPECT_EQ(colours[1 - marked], std::nullopt);
    ASSERT_TRUE(selection);
    EXPECT_EQ(*selection, std::vector<SelectionKey>{KeyOf("a.zvo")});
}

TEST_F(PreviewDialogTest, OkWithNothingCheckedGivesNoSelection) {
    ModalAction act([&] { return Read(); }, [&] { Click(IDOK); });
    const auto selection = Run();
    ASSERT_TRUE(selection);
    EXPECT_TRUE(selection->empty());
}

TEST_F(PreviewDialogTest, CancelsItselfWhenTheCardFolderVanishes) {
    ULONGLONG pulledAt = 0;
    ModalAction act([&] { return Read(); },
                    [&] {
                        std::filesystem::remove_all(dir / "card");
                        pulledAt = GetTickCount64();
                    });
    EXPECT_FALSE(Run());
    ASSERT_NE(pulledAt, 0u);
    EXPECT_LT(GetTickCount64() - pulledAt, 2000u);  // two ticks of 500 ms, with room for Wine
}

TEST_F(PreviewDialogTest, SortOrderAndColumnWidthsComeBackNextTime) {
    ModalAction first([&] { return Read(); },
                      [&] {
                          ClickHeader(2);
                          ClickHeader(2);  // the same column again: descending
                          ListView_SetColumnWidth(List(), 3, 123);
                          Click(IDCANCEL);
                      });
    EXPECT_FALSE(Run());
    const auto saved = LoadListLayoutFile(LayoutFile());
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->sortColumn, 2);
    EXPECT_EQ(saved->ascending, 0);

    int width = 0;
    bool arrow = false;
    ModalAction second([&] { return Read(); },
                       [&] {
                           width = ListView_GetColumnWidth(List(), 3);
                           HDITEMW item{};
                           item.mask = HDI_FORMAT;
                           Header_GetItem(ListView_GetHeader(List()), 2, &item);
                           arrow = (item.fmt & HDF_OWNERDRAW) != 0;
                           Click(IDCANCEL);
                       });
    EXPECT_FALSE(Run());
    EXPECT_EQ(width, 123);
    EXPECT_TRUE(arrow);
}

TEST_F(PreviewDialogTest, ANewCardOpensThePreviewAndItsSelectionGoesToTheImport) {
    drives.newFolders = {folder.string()};
    Start("[General]\nm_removable=1\nm_preview=1\n");
    ModalAction act([&] { return Read(); },
                    [&] {
                        ListView_SetCheckState(List(), 0, TRUE);
                        Click(IDOK);
                    });
    clock.Advance(1000);
    SendMessageW(Window(), WM_TIMER, 1, 0);  // the poll's tick, due
    ASSERT_EQ(previews, std::vector<std::string>{folder.string()});
    ASSERT_EQ(subsystems.started.size(), 1u);
    EXPECT_EQ(subsystems.started[0].selection.size(), 1u);
}

}  // namespace
}  // namespace zep::test
