// The card preview's session: the card read on the first tick, its presence checked on every
// later one, and the checked rows' keys as the result.
#include "ui/preview_session.h"

#include "core/path_text.h"
#include "media/preview_model.h"
#include "platform/drive_list.h"

namespace zep {

PreviewSession::PreviewSession(PreviewView& view, std::string folder)
    : m_view(view), m_folder(std::move(folder)) {}

void PreviewSession::OnTick() {
    if (m_inTick) {
        return;
    }
    m_inTick = true;
    if (!m_read) {
        ReadCard();
    } else if (!IsFolderPresent(m_folder)) {
        m_view.CancelPreview();
    }
    m_inTick = false;
}

void PreviewSession::ReadCard() {
    m_view.BeginReading();
    const CardFolderContents contents = ReadCardFolder(PathFromUtf8(m_folder));
    std::vector<PreviewListRow> rows;
    rows.reserve(contents.rows.size());
    for (const PreviewRow& row : contents.rows) {
        // The first column carries only the check box.
        rows.push_back({{"", row.deviceType, row.serialNumber, row.heatSystem, row.date}, row.key});
    }
    m_read = true;
    m_view.ShowCard(rows, PreviewSummary(contents));
}

void PreviewSession::Accept(std::vector<SelectionKey> checkedKeys) {
    m_result = std::move(checkedKeys);
}

}  // namespace zep
