#pragma once
// The main window (MainDialog) on Windows: dialog 102 from the resources, run modeless with its
// own message loop so that the keyboard meets accelerator table 131 first. It is the
// controller's view and hands the user's actions and the one-second timer to the controller;
// workers reach it through the three private messages.
#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/controller_pump.h"
#include "app/main_controller.h"
#include "app/main_view.h"
#include "window/win32/dialog_procedure.h"
#include "window/win32/log_pane_window.h"
#include "window/win32/progress_bar_window.h"
#include "window/win32/system_tray.h"
#include "window/win32/worker_messages.h"

namespace zep::win32 {

// Shows the preview of a card folder, marking what the history holds; the keys of the checked
// rows, or nullopt on cancel.
using PreviewRunner = std::function<std::optional<std::vector<SelectionKey>>(
    const std::string& folder, const ImportHistory* history)>;

class MainDialog final : public MainView {
public:
    // showCommand: how the program was asked to show its window at start-up.
    MainDialog(HINSTANCE instance, int showCommand, PreviewRunner preview);
    ~MainDialog() override;
    MainDialog(const MainDialog&) = delete;
    MainDialog& operator=(const MainDialog&) = delete;

    // Creates the window over the controller (which must outlive it), its poll ticks timed on
    // the controller's clock; false when it cannot.
    bool Create(MainController& controller, Clock& clock);
    // Runs the message loop until the window has closed. Returns the dialog's result.
    int RunMessageLoop();
    // What the message loop does with a message before dispatching it: true when consumed.
    bool PreTranslate(MSG& message);

    HWND Window() const { return m_window; }
    const LogPaneWindow* LogPane(zep::Pane which) const;
    const ProgressBarWindow& Bar(int bar) const { return bar == 1 ? m_bar1 : m_bar2; }
    const SystemTray* Tray() const { return m_tray.get(); }
    UINT TrayMessage() const { return m_trayMessage; }
    OwnedTexts& Texts() { return m_texts; }

    // MainView
    void AddLine(zep::Pane pane, const std::string& line) override;
    void SetBarPosition(int bar, int position) override;
    void SetBarCaption(int bar, const std::string& caption) override;
    void FillPortSelector(const std::vector<int>& ports, int selectedPort) override;
    void EnablePortSelector(bool enabled) override;
    std::optional<Controls> ReadControls() override;
    void ShowOptions(const Options& options) override;
    void ShowDriveButtons(const std::vector<DriveButton>& buttons) override;
    void SetTrayIcon(bool present, const std::string& tooltip) override;
    void UpdateTooltip(const std::string& tooltip) override;
    void ShowWindow(bool visible) override;
    void RestoreWindow() override;
    std::optional<std::vector<SelectionKey>> ShowPreview(const std::string& folder,
                                                         const ImportHistory* history) override;
    void ShowError(const std::string& text) override;

private:
    friend INT_PTR CALLBACK DialogProcedure<MainDialog>(HWND, UINT, WPARAM, LPARAM);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void OnPollTimer();
    void ArmPollTimer();
    void CreatePanes();
    void ExtendSystemMenu();
    void OnCommand(int id, int code);
    bool OnSystemCommand(WPARAM command);
    void OnWorkerBar(int bar, WPARAM position, LPARAM caption);
    void OnWorkerLog(WPARAM lower, LPARAM upper);
    void PaintIconic();
    void OnDestroy();
    void RequestExit();
    void ShowAboutBox();
    ProgressBarWindow& BarWindow(int bar) { return bar == 1 ? m_bar1 : m_bar2; }

    HINSTANCE m_instance;
    int m_showCommand;
    PreviewRunner m_preview;
    MainController* m_controller = nullptr;
    std::optional<ControllerPump> m_pump;
    HWND m_window = nullptr;
    HICON m_icon = nullptr;
    HICON m_smallIcon = nullptr;
    HACCEL m_accelerators = nullptr;
    UINT m_trayMessage = 0;
    std::unique_ptr<LogPaneWindow> m_upperPane;
    std::unique_ptr<LogPaneWindow> m_lowerPane;
    ProgressBarWindow m_bar1;
    ProgressBarWindow m_bar2;
    std::unique_ptr<SystemTray> m_tray;
    OwnedTexts m_texts;
    std::unique_ptr<WorkerRelay> m_relay;
    bool m_running = false;
};

}  // namespace zep::win32
