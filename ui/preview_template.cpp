// The preview dialog's template in dialog units.
#include "ui/preview_template.h"

namespace zep {

namespace {

DialogTemplate MakeTemplate() {
    return {kPreviewDialogId,
            "Диск:",
            "MS Sans Serif",
            8,
            279,
            270,
            {
                {kPreviewOkId,
                 ControlKind::DefaultPushButton,
                 "Импортировать данные в Velmora",
                 {64, 249, 150, 14}},
                {kPreviewCancelId, ControlKind::PushButton, "Отмена", {228, 249, 44, 14}},
                {kPreviewListId, ControlKind::ListView, "", {7, 7, 265, 222}},
                {DialogControl::kNoId, ControlKind::Picture, "", {7, 232, 44, 31}},
                {kPreviewStatusId,
                 ControlKind::Label,
                 std::string(kPreviewReadingText),
                 {62, 233, 210, 16}},
            }};
}

}  // namespace

const DialogTemplate& PreviewTemplate() {
    static const DialogTemplate kTemplate = MakeTemplate();
    return kTemplate;
}

}  // namespace zep
