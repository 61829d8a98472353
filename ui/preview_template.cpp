// The preview dialog's template in dialog units.
#include "ui/preview_template.h"

#include <array>

namespace zep {

namespace {

constexpr std::array<DialogControl, 5> kControls = {{
    {kPreviewOkId,
     ControlKind::DefaultPushButton,
     "Импортировать данные в Velmora",
     {64, 249, 150, 14}},
    {kPreviewCancelId, ControlKind::PushButton, "Отмена", {228, 249, 44, 14}},
    {kPreviewListId, ControlKind::ListView, "", {7, 7, 265, 222}},
    {kNoControlId, ControlKind::Picture, "", {7, 232, 44, 31}},
    {kPreviewStatusId, ControlKind::StaticText, kPreviewReadingText, {62, 236, 210, 8}},
}};

constexpr DialogTemplate kTemplate{kPreviewDialogId, "Диск:", "MS Sans Serif", 8, 279, 270,
                                   kControls};

}  // namespace

const DialogTemplate& PreviewTemplate() {
    return kTemplate;
}

}  // namespace zep
