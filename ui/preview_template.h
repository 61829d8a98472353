#pragma once
// Dialog template 133, the preview of a card, and the ids and texts of its controls.
#include <string_view>

#include "ui/dialog_templates.h"

namespace zep {

inline constexpr int kPreviewDialogId = 133;
inline constexpr int kPreviewOkId = 1;
inline constexpr int kPreviewCancelId = 2;
inline constexpr int kPreviewListId = 1011;
inline constexpr int kPreviewStatusId = 1013;
inline constexpr int kPreviewBitmapId = 135;  // the decoration's picture resource

inline constexpr std::string_view kPreviewReadingText = "Чтение данных с накопителя ...";
// The list's columns: an untitled one for the check boxes, then the archive's fields.
inline constexpr std::string_view kPreviewColumns =
    ",25;Тип прибора,90;Сер.номер,90;Теплосистема,100;Дата,70";
// The list's layout file in the program folder.
inline constexpr std::string_view kListLayoutFileName = "zepimplst.cfg";
// The period of the preview's timer: the first tick reads the card, later ones check it.
inline constexpr int kPreviewTickMs = 500;

const DialogTemplate& PreviewTemplate();

}  // namespace zep
