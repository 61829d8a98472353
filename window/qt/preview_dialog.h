#pragma once
// The preview of a newly inserted card: what its folder holds, one checkable row per archive
// and printer protocol, before anything is imported.
#include <QDialog>
#include <QTimer>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/worker_params.h"

class QLabel;
class QWidget;

namespace zep {

class SortListWidget;

// Runs the preview modally: the keys of the checked rows (empty: none checked, everything is
// to be imported), or nullopt when the user cancelled or the card was pulled. The list's
// column widths and sort order are kept in "zepimplst.cfg" in the program folder.
std::optional<std::vector<SelectionKey>> RunPreviewDialog(
    QWidget* parent, const std::string& cardFolder, const std::filesystem::path& programFolder);

class PreviewDialog : public QDialog {
    Q_OBJECT
public:
    PreviewDialog(QWidget* parent, std::string cardFolder, std::filesystem::path layoutFile);
    const std::vector<SelectionKey>& Selection() const { return m_selection; }

    void accept() override;
    void done(int result) override;

private:
    void BuildControls();
    void OnTick();
    void ReadFolder();

    std::string m_folder;
    std::filesystem::path m_layoutFile;
    SortListWidget* m_list = nullptr;
    QLabel* m_status = nullptr;
    QTimer m_timer;
    bool m_scanned = false;
    bool m_inTick = false;
    std::vector<SelectionKey> m_selection;
};

}  // namespace zep
