#pragma once
// The preview of a card without a toolkit: what its dialog shows on each tick of its timer and
// what it hands back when it ends. The first tick reads the card folder; every later tick
// checks that the folder is still there and ends the preview when the card has been pulled.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/import_history.h"
#include "core/worker_params.h"

namespace zep {

// One row of the preview list: a text per column of kPreviewColumns, and the key the import
// worker matches. A row whose archive the import history holds is drawn greyed, its date
// followed by kImportedMark; it starts unchecked like every row, and the import passes it over
// unless the user checks it.
struct PreviewListRow {
    std::vector<std::string> cells;
    SelectionKey key = 0;
    bool imported = false;
};

inline constexpr std::string_view kImportedMark = "(импортировано)";

// What the session asks of the dialog that shows it. The dialog draws; it decides nothing.
class PreviewView {
public:
    virtual ~PreviewView() = default;

    // The list is greyed and emptied while the card is read.
    virtual void BeginReading() = 0;
    // The card's rows, unchecked, those imported before greyed; the list usable again, sorted
    // as its layout says, and the summary (one or two lines) in place of the reading text.
    virtual void ShowCard(const std::vector<PreviewListRow>& rows, const std::string& summary) = 0;
    // The card has gone: the dialog ends as if cancelled.
    virtual void CancelPreview() = 0;
};

class PreviewSession {
public:
    // folder: the card folder as the drive watcher gave it (UTF-8), also the dialog's caption.
    // history: the archives to mark as imported before; none: no marks.
    PreviewSession(PreviewView& view, std::string folder, const ImportHistory* history = nullptr);

    const std::string& Folder() const { return m_folder; }
    // Every tick of the dialog's timer (kPreviewTickMs). The reading blocks for as long as it
    // takes; a tick that arrives while an earlier one is still being handled does nothing.
    void OnTick();
    bool CardRead() const { return m_read; }

    // OK: the keys of the checked rows, in display order, become the result.
    void Accept(std::vector<SelectionKey> checkedKeys);
    // The keys taken on OK (empty: none was checked, everything new on the card is imported),
    // or nullopt when the preview ended any other way.
    const std::optional<std::vector<SelectionKey>>& Result() const { return m_result; }

private:
    void ReadCard();

    PreviewView& m_view;
    std::string m_folder;
    const ImportHistory* m_history;
    bool m_read = false;
    bool m_inTick = false;
    std::optional<std::vector<SelectionKey>> m_result;
};

}  // namespace zep
