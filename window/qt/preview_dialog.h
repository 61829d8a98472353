#pragma once
// The preview of a newly inserted card: what its folder holds, one checkable row per archive
// and printer protocol, before anything is imported. The session of ui/ decides; this dialog
// draws it and hands it the timer's ticks and the buttons.
#include <QDialog>
#include <QTimer>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/worker_params.h"
#include "ui/preview_session.h"

class QLabel;
class QWidget;

namespace zep {

class SortListWidget;

// Runs the preview modally: the keys of the checked rows (empty: none checked, everything new
// is to be imported), or nullopt when the user cancelled or the card was pulled. The list's
// column widths and sort order are kept in "zepimplst.cfg" in the program folder. history:
// the archives marked as imported before; none: no marks.
std::optional<std::vector<SelectionKey>> RunPreviewDialog(
    QWidget* parent, const std::string& cardFolder, const std::filesystem::path& programFolder,
    const ImportHistory* history = nullptr);

class PreviewDialog : public QDialog, private PreviewView {
    Q_OBJECT
public:
    PreviewDialog(QWidget* parent, std::string cardFolder, std::filesystem::path layoutFile,
                  const ImportHistory* history);
    const std::optional<std::vector<SelectionKey>>& Result() const { return m_session.Result(); }

    void accept() override;
    void done(int result) override;

private:
    void BuildControls();
    void OnTick();

    // PreviewView
    void BeginReading() override;
    void ShowCard(const std::vector<PreviewListRow>& rows, const std::string& summary) override;
    void CancelPreview() override;

    PreviewSession m_session;
    std::filesystem::path m_layoutFile;
    SortListWidget* m_list = nullptr;
    QLabel* m_status = nullptr;
    QTimer m_timer;
};

}  // namespace zep
