// The tray icon's click rules, the tooltip limit and the preview's template.
#include <gtest/gtest.h>

#include "ui/header_arrow.h"
#include "ui/preview_template.h"
#include "ui/tray_clicks.h"

namespace zep {
namespace {

TEST(TrayClicks, ADoubleClickRestoresOnItsRelease) {
    TrayClicks tray;
    EXPECT_FALSE(tray.Handle(kTrayIconId, TrayMouse::LeftDoubleClick).command);
    EXPECT_EQ(tray.Handle(kTrayIconId, TrayMouse::LeftButtonUp).command, kCommandRestore);
    // The flag is spent: the next release alone sends nothing.
    EXPECT_FALSE(tray.Handle(kTrayIconId, TrayMouse::LeftButtonUp).command);
}

TEST(TrayClicks, AnotherMouseMessageBetweenCancelsTheDoubleClick) {
    TrayClicks tray;
    tray.Handle(kTrayIconId, TrayMouse::LeftDoubleClick);
    tray.Handle(kTrayIconId, TrayMouse::Other);
    EXPECT_FALSE(tray.Handle(kTrayIconId, TrayMouse::LeftButtonUp).command);
}

TEST(TrayClicks, OnlyTheIconsOwnIdIsHandledAndARightClickOpensTheMenu) {
    TrayClicks tray;
    const TrayReaction other = tray.Handle(130, TrayMouse::RightButtonUp);
    EXPECT_FALSE(other.handled);
    EXPECT_FALSE(other.showMenu);
    const TrayReaction menu = tray.Handle(kTrayIconId, TrayMouse::RightButtonUp);
    EXPECT_TRUE(menu.handled);
    EXPECT_TRUE(menu.showMenu);
    tray.SetDefaultItem(kCommandExit, false);
    tray.Handle(kTrayIconId, TrayMouse::LeftDoubleClick);
    EXPECT_EQ(tray.Handle(kTrayIconId, TrayMouse::LeftButtonUp).command, kCommandExit);
    tray.SetDefaultItem(2, true);  // the separator has no command
    tray.Handle(kTrayIconId, TrayMouse::LeftDoubleClick);
    EXPECT_FALSE(tray.Handle(kTrayIconId, TrayMouse::LeftButtonUp).command);
}

TEST(TrayClicks, TooltipsAreCutTo63Characters) {
    std::string text;
    for (int i = 0; i < 70; ++i) {
        text += "Ж";
    }
    EXPECT_EQ(TrayTooltip(text).size(), 63u * 2);
    EXPECT_EQ(TrayTooltip("ZEP Import: COM1"), "ZEP Import: COM1");
}

TEST(PreviewTemplate, PlacesItsControlsInDialogUnits) {
    const DialogTemplate& dialog = PreviewTemplate();
    EXPECT_EQ(dialog.width, 279);
    ASSERT_TRUE(dialog.Find(kPreviewOkId));
    EXPECT_EQ(dialog.Find(kPreviewOkId)->text, "Импортировать данные в Velmora");
    EXPECT_EQ(dialog.Find(kPreviewOkId)->kind, ControlKind::DefaultPushButton);
    EXPECT_EQ(dialog.Find(kPreviewListId)->rect, (DialogRect{7, 7, 265, 222}));
    EXPECT_EQ(dialog.Find(4242), nullptr);
}

TEST(HeaderArrow, PointsUpWhenAscendingAndLeavesRoomForIt) {
    const HeaderItemBox item{0, 0, 100, 20};  // h = 5
    const auto up = SortArrowLines(item, true);
    ASSERT_EQ(up.size(), 3u);
    EXPECT_EQ(up[0], (ArrowLine{90, 5, 95, 14, true}));
    const auto down = SortArrowLines(item, false);
    EXPECT_EQ(down[0], (ArrowLine{94, 5, 89, 15, true}));
    const HeaderItemBox text = HeaderTextBox(item, false, true);
    EXPECT_EQ(text.left, 5);
    EXPECT_EQ(text.right, 80);
    EXPECT_EQ(HeaderTextBox(item, true, false).top, 2);
}

}  // namespace
}  // namespace zep
