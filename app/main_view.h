#pragma once
// What the controller asks of its window. The desktop window and the console of the headless
// mode implement it; the controller calls it only from the thread that runs the poll.
#include <optional>
#include <string>
#include <vector>

#include "core/import_history.h"
#include "core/worker_params.h"

namespace zep {

enum class Pane { Upper, Lower };

// The option check boxes, in the members they fill.
struct Options {
    int runMinimized = 0;  // "Запускать в свёрнутом виде"
    int expandActive = 0;  // "Восстанавливать окно при работе"
    int deleteAfter = 0;   // "Удалять обработанные данные:  с ZEP"
    int autoStart = 0;     // "Запускать вместе с Windows"
    int removable = 0;     // "Получать данные с флэш-карт"
    int deleteFlash = 0;   // "с флэш-карт"
    int preview = 0;       // "с просмотром"

    bool operator==(const Options&) const = default;
};

// What the window's controls hold: the check boxes and the port of the selected entry
// (0 when no entry is selected).
struct Controls {
    Options options;
    int port = 0;
};

// One drive button: its caption (the drive root) and whether it is enabled.
struct DriveButton {
    std::string root;
    bool enabled = false;
};

class MainView {
public:
    virtual ~MainView() = default;

    virtual void AddLine(Pane pane, const std::string& line) = 0;
    virtual void SetBarPosition(int bar, int position) = 0;
    virtual void SetBarCaption(int bar, const std::string& caption) = 0;

    // The port selector: its entries "COM<n>", the entry selected (none when the port is not
    // listed), and whether the user may change it. Filled at start and again, while no worker
    // runs, whenever the ports present have changed.
    virtual void FillPortSelector(const std::vector<int>& ports, int selectedPort) = 0;
    virtual void EnablePortSelector(bool enabled) = 0;

    // Data exchange: the controls into the members (nullopt when they cannot be read), and the
    // members into the check boxes (the port selector is left alone).
    virtual std::optional<Controls> ReadControls() = 0;
    virtual void ShowOptions(const Options& options) = 0;

    // At most ten drive buttons; the rest are hidden.
    virtual void ShowDriveButtons(const std::vector<DriveButton>& buttons) = 0;

    // The notification-area icon: created with the tooltip, or removed.
    virtual void SetTrayIcon(bool present, const std::string& tooltip) = 0;
    virtual void UpdateTooltip(const std::string& tooltip) = 0;
    // Plain show or hide of the window.
    virtual void ShowWindow(bool visible) = 0;
    // Brings the window back from the minimised state.
    virtual void RestoreWindow() = 0;

    // The preview of a card folder, modal: the keys of the checked rows (empty: no selection,
    // everything new is imported), or nullopt when the user cancelled. history: the rows whose
    // archive it holds are marked as imported before; none: no marks.
    virtual std::optional<std::vector<SelectionKey>> ShowPreview(const std::string& folder,
                                                                 const ImportHistory* history) = 0;

    // A modal message box with the error icon.
    virtual void ShowError(const std::string& text) = 0;
};

}  // namespace zep
