// The card preview's session: the card read on the first tick, its presence checked on every
// later one, and the checked rows' keys as the result.
#include "ui/preview_session.h"

#include "core/path_text.h"
#include "media/preview_model.h"
#include "platform/drive_list.h"

namespace zep {

PreviewSession::PreviewSession(PreviewView& view, std::string folder, const ImportHistory* history)
    : m_view(view), m_folder(std::move(folder)), m_history(history) {}

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
    const CardFolderContents contents = ReadCardFolder(
        PathFromUtf8(m_folder), m_history ? ArchiveKeys::Compute : ArchiveKeys::Skip);
    std::vector<PreviewListRow> rows;
    rows.reserve(contents.rows.size());
    int imported = 0;
    for (const PreviewRow& row : contents.rows) {
        const bool known = m_history && row.archive && m_history->Contains(*row.archive);
        std::string date = row.date;
        if (known) {
            date += (date.empty() ? "" : " ") + std::string(kImportedMark);
            ++imported;
        }
        // The first column carries only the check box.
        rows.push_back(
            {{"", row.deviceType, row.serialNumber, row.heatSystem, date}, row.key, known});
    }
    m_read = true;
    std::string summary = PreviewSummary(contents);
    if (m_history) {
        summary += "\nНовых: " + std::to_string(rows.size() - imported) +
                   ", импортированных ранее (серым): " + std::to_string(imported);
    }
    m_view.ShowCard(rows, summary);
}

void PreviewSession::Accept(std::vector<SelectionKey> checkedKeys) {
    m_result = std::move(checkedKeys);
}

}  // namespace zep
