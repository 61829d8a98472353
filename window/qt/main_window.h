#pragma once
// The main window (template 102) over Qt Widgets: it shows what the controller tells it
// through MainView and hands the user's clicks and keys to the controller. It lives mostly in
// the notification area; where the desktop has none, it is minimised to the task bar instead,
// so that it always stays reachable.
#include <QWidget>

#include <array>
#include <filesystem>
#include <memory>

#include "app/main_controller.h"
#include "app/main_view.h"

class QCheckBox;
class QComboBox;
class QMenu;
class QPushButton;
class QContextMenuEvent;

namespace zep {

class LogPaneWidget;
class ProgressBarWidget;
class DriveButtonWidget;
class TrayIcon;

class MainWindow final : public QWidget, public MainView {
    Q_OBJECT
public:
    // trayAvailable: the desktop has a notification area (QSystemTrayIcon tells).
    MainWindow(bool trayAvailable, std::filesystem::path programFolder);
    ~MainWindow() override;

    // The controller is made with this window as its view, so it is attached afterwards.
    void Attach(MainController& controller);

    // The system menu (Alt+Space, or a right click on the window): minimise, the greyed
    // close item, and "О программе...".
    QMenu& SystemMenu() { return *m_systemMenu; }
    // The tray icon while the window is in the tray.
    TrayIcon* Tray() { return m_tray.get(); }

    // MainView
    void AddLine(Pane pane, const std::string& line) override;
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

signals:
    // "Выход" was accepted: no worker and no conversion pass is busy. The owner closes.
    void exitAccepted();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildControls();
    void BuildCheckBox(int id, const QString& text, bool rightAligned);
    void BuildSystemMenu();
    void BuildAccelerators();
    void RunCommand(int command);
    void RequestExit();
    ProgressBarWidget* Bar(int bar) const;
    QCheckBox* CheckBox(int id) const;

    bool m_trayAvailable;
    std::filesystem::path m_programFolder;
    MainController* m_controller = nullptr;
    // The window's own show, hide and minimise are not the user's minimise or restore.
    bool m_changingState = false;

    QComboBox* m_portSelector = nullptr;
    ProgressBarWidget* m_bar1 = nullptr;
    ProgressBarWidget* m_bar2 = nullptr;
    LogPaneWidget* m_upperPane = nullptr;
    LogPaneWidget* m_lowerPane = nullptr;
    std::array<DriveButtonWidget*, 10> m_driveButtons{};
    std::unique_ptr<QMenu> m_systemMenu;
    std::unique_ptr<TrayIcon> m_tray;
};

}  // namespace zep
