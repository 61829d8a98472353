// The dialog templates: distinct control ids inside their dialog, ten drive buttons in a row,
// and the tray menu's items.
#include <gtest/gtest.h>

#include <set>

#include "ui/dialog_templates.h"

namespace zep::test {
namespace {

TEST(DialogTemplatesTest, ControlsHaveDistinctIdsAndLieInsideTheirDialog) {
    for (const DialogTemplate* dialog : {&MainDialogTemplate(), &AboutBoxTemplate()}) {
        std::set<int> ids;
        for (const DialogControl& control : dialog->controls) {
            if (control.id != DialogControl::kNoId) {
                EXPECT_TRUE(ids.insert(control.id).second) << dialog->id << ": " << control.id;
            }
            const DialogRect& r = control.rect;
            EXPECT_GE(r.x, 0);
            EXPECT_GE(r.y, 0);
            EXPECT_LE(r.x + r.width, dialog->width) << dialog->id << ": " << control.id;
            EXPECT_LE(r.y + r.height, dialog->height) << dialog->id << ": " << control.id;
        }
    }
}

TEST(DialogTemplatesTest, MainDialogHasTenDriveButtonsInARow) {
    const DialogTemplate& dialog = MainDialogTemplate();
    for (int k = 0; k < ctl::kDriveButtons; ++k) {
        const DialogControl* button = FindControl(dialog, ctl::kFirstDriveButton + k);
        ASSERT_NE(button, nullptr) << k;
        EXPECT_EQ(button->rect.x, 7 + 22 * k);
        EXPECT_EQ(button->rect.y, 234);
        EXPECT_TRUE(button->text.empty());
    }
    EXPECT_EQ(FindControl(dialog, ctl::kFirstDriveButton + ctl::kDriveButtons), nullptr);
    EXPECT_EQ(FindControl(dialog, ctl::kDeleteAfter)->text, "Удалять обработанные данные:  с ZEP");
    EXPECT_EQ(PortSelectorLabel().text, "Коммуникационный порт");
}

TEST(DialogTemplatesTest, TrayMenuGivesRestoreAboutAndExit) {
    const auto menu = TrayMenu();
    ASSERT_EQ(menu.size(), 4u);
    EXPECT_EQ(menu[0].command, cmd::kTrayRestore);
    EXPECT_EQ(menu[1].command, cmd::kTrayAbout);
    EXPECT_EQ(menu[2].command, 0);
    EXPECT_EQ(menu[3].command, cmd::kTrayExit);
    EXPECT_STREQ(menu[3].text, "Выход");
}

}  // namespace
}  // namespace zep::test
