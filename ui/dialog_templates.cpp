// The main window's template 102 and the about box's template 100, in dialog units, and the
// lookup of a control by its id.
#include "ui/dialog_templates.h"

#include <algorithm>
#include <array>

namespace zep {

namespace {

constexpr int kNoId = DialogControl::kNoId;
constexpr int kDriveButtonStep = 22;

DialogControl Control(int id, ControlKind kind, std::string text, DialogRect rect,
                      bool rightAligned = false) {
    return {id, kind, std::move(text), rect, rightAligned};
}

DialogTemplate BuildMainDialog() {
    using K = ControlKind;
    DialogTemplate dialog{102, "Velmora - ZEP Импорт", "MS Sans Serif", 8, 229, 250, {}};
    dialog.controls = {
        Control(kNoId, K::Label, "Коммуникационный порт", {7, 10, 86, 8}),
        Control(ctl::kPortSelector, K::ComboBox, "", {95, 8, 62, 65}),
        Control(ctl::kAutoStart, K::CheckBox, "Запускать вместе с Windows", {7, 26, 150, 10}),
        Control(ctl::kRunMinimized, K::CheckBox, "Запускать в свёрнутом виде", {7, 39, 150, 10}),
        Control(ctl::kExpandActive, K::CheckBox, "Восстанавливать окно при работе",
                {7, 51, 150, 10}),
        Control(ctl::kRemovable, K::CheckBox, "Получать данные с флэш-карт", {7, 64, 150, 10}),
        Control(ctl::kPreview, K::CheckBox, "с просмотром", {158, 64, 64, 10}, true),
        Control(ctl::kDeleteAfter, K::CheckBox, "Удалять обработанные данные:  с ZEP",
                {7, 76, 150, 10}),
        Control(ctl::kDeleteFlash, K::CheckBox, "с флэш-карт", {164, 76, 58, 10}, true),
        Control(ctl::kExit, K::PushButton, "Выход", {168, 7, 54, 14}),
        Control(kNoId, K::Icon, "", {183, 31, 21, 20}),
        Control(ctl::kBar1, K::ProgressBar, "", {7, 89, 215, 12}),
        Control(ctl::kBar2, K::ProgressBar, "", {7, 105, 215, 12}),
        Control(ctl::kUpperPane, K::Frame, "", {7, 124, 215, 54}),
        Control(ctl::kLowerPane, K::Frame, "", {7, 185, 215, 42}),
    };
    for (int k = 0; k < ctl::kDriveButtons; ++k) {
        dialog.controls.push_back(Control(ctl::kFirstDriveButton + k, K::PushButton, "",
                                          {7 + kDriveButtonStep * k, 234, 16, 11}));
    }
    return dialog;
}

// The about box: the program's name and version beside the icon inside a group frame, and the
// OK button on the right.
DialogTemplate BuildAboutBox() {
    using K = ControlKind;
    DialogTemplate dialog{100, "Velmora - ZEP импорт", "MS Sans Serif", 8, 235, 55, {}};
    dialog.controls = {
        Control(kNoId, K::GroupBox, "", {7, 3, 163, 45}),
        Control(kNoId, K::Icon, "", {15, 14, 21, 20}),
        Control(kNoId, K::Label, "ZEP Импорт", {44, 14, 119, 8}),
        Control(ctl::kVersionLine, K::Label, "Версия ?.??", {44, 28, 119, 8}),
        Control(ctl::kOk, K::PushButton, "OK", {178, 7, 50, 14}),
    };
    return dialog;
}

constexpr std::array<MenuItem, 4> kTrayMenu{{
    {cmd::kTrayRestore, "Восстановить"},
    {cmd::kTrayAbout, "О программе..."},
    {0, ""},
    {cmd::kTrayExit, "Выход"},
}};

}  // namespace

std::span<const MenuItem> TrayMenu() {
    return kTrayMenu;
}

const DialogTemplate& MainDialogTemplate() {
    static const DialogTemplate dialog = BuildMainDialog();
    return dialog;
}

const DialogTemplate& AboutBoxTemplate() {
    static const DialogTemplate dialog = BuildAboutBox();
    return dialog;
}

const DialogControl* DialogTemplate::Find(int controlId) const {
    for (const DialogControl& control : controls) {
        if (control.id == controlId) {
            return &control;
        }
    }
    return nullptr;
}

const DialogControl* FindControl(const DialogTemplate& dialog, int id) {
    return dialog.Find(id);
}

const DialogControl& PortSelectorLabel() {
    return MainDialogTemplate().controls.front();
}

}  // namespace zep
