// The main window: template 102 built in Qt widgets, the controller's view, and the user's
// actions handed to the controller.
#include "window/qt/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QShortcut>
#include <QSignalBlocker>

#include "ui/dialog_templates.h"
#include "window/qt/about_box.h"
#include "window/qt/control_names.h"
#include "window/qt/dialog_geometry.h"
#include "window/qt/drive_button.h"
#include "window/qt/log_pane_widget.h"
#include "window/qt/preview_dialog.h"
#include "window/qt/program_icon.h"
#include "window/qt/progress_bar_widget.h"
#include "window/qt/tray_icon.h"

namespace zep {

namespace {

constexpr int kIconPixels = 32;

// Which check box fills which option.
struct OptionBinding {
    int id;
    OptionBox box;
    int Options::*member;
};

constexpr OptionBinding kOptionBindings[] = {
    {ctl::kRunMinimized, OptionBox::RunMinimized, &Options::runMinimized},
    {ctl::kExpandActive, OptionBox::ExpandActive, &Options::expandActive},
    {ctl::kDeleteAfter, OptionBox::DeleteAfter, &Options::deleteAfter},
    {ctl::kAutoStart, OptionBox::AutoStart, &Options::autoStart},
    {ctl::kRemovable, OptionBox::Removable, &Options::removable},
    {ctl::kDeleteFlash, OptionBox::DeleteFlash, &Options::deleteFlash},
    {ctl::kPreview, OptionBox::Preview, &Options::preview},
};

// The text a control shows here: the autostart box acts at log-in to the desktop session.
QString ShownText(const DialogControl& control) {
    if (control.id == ctl::kAutoStart) {
        return QString::fromUtf8(kAutoStartTextSession);
    }
    return QString::fromStdString(control.text);
}

// Sets the flag for the lifetime of the scope.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : m_flag(flag), m_was(flag) { m_flag = true; }
    ~FlagScope() { m_flag = m_was; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
    bool m_was;
};

}  // namespace

MainWindow::MainWindow(bool trayAvailable, std::filesystem::path programFolder)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint),
      m_trayAvailable(trayAvailable),
      m_programFolder(std::move(programFolder)) {
    const DialogTemplate& dialog = MainDialogTemplate();
    setObjectName(QStringLiteral("MainDialog"));
    setWindowTitle(QString::fromStdString(dialog.caption));
    setWindowIcon(ProgramIcon());
    setFont(DialogFont(dialog));
    setFixedSize(ClientSize(dialog));
    BuildControls();
    BuildSystemMenu();
    BuildAccelerators();
}

MainWindow::~MainWindow() = default;

void MainWindow::Attach(MainController& controller) {
    m_controller = &controller;
}

// --- Building -------------------------------------------------------------------------------

// The controls are children of the window, which deletes them (Qt's ownership).
void MainWindow::BuildControls() {
    int driveButton = 0;
    for (const DialogControl& control : MainDialogTemplate().controls) {
        const QString text = ShownText(control);
        const QRect rect = ToPixels(control.rect);
        QWidget* widget = nullptr;
        switch (control.kind) {
            case ControlKind::Label: {
                auto* label = new QLabel(text, this);
                label->setObjectName(QStringLiteral("portLabel"));
                widget = label;
                break;
            }
            case ControlKind::Icon: {
                auto* icon = new QLabel(this);
                icon->setPixmap(ProgramIcon().pixmap(kIconPixels, kIconPixels));
                icon->setAlignment(Qt::AlignCenter);
                icon->setObjectName(QStringLiteral("icon128"));
                widget = icon;
                break;
            }
            case ControlKind::ComboBox:
                m_portSelector = new QComboBox(this);
                m_portSelector->setGeometry(rect.x(), rect.y(), rect.width(),
                                            ToPixels({0, 0, 0, 12}).height());
                NameControl(*m_portSelector, ControlObjectName(control.id),
                            QString::fromStdString(PortSelectorLabel().text));
                connect(m_portSelector, &QComboBox::activated, this, [this] {
                    if (m_controller) {
                        m_controller->OnPortSelected();
                    }
                });
                continue;
            case ControlKind::CheckBox:
                BuildCheckBox(control.id, text, control.rightAligned);
                CheckBox(control.id)->setGeometry(rect);
                continue;
            case ControlKind::PushButton:
                if (control.id == ctl::kExit) {
                    auto* exit = new QPushButton(text, this);
                    exit->setAutoDefault(false);
                    connect(exit, &QPushButton::clicked, this, &MainWindow::RequestExit);
                    widget = exit;
                } else {
                    const int k = driveButton++;
                    auto* button = new DriveButtonWidget(this);
                    button->hide();
                    connect(button, &QPushButton::clicked, this, [this, k] {
                        if (m_controller) {
                            m_controller->OnDriveButton(k);
                        }
                    });
                    m_driveButtons[k] = button;
                    widget = button;
                }
                break;
            case ControlKind::ProgressBar: {
                auto* bar = new ProgressBarWidget(this);
                bar->SetShowText(true);
                (control.id == ctl::kBar1 ? m_bar1 : m_bar2) = bar;
                widget = bar;
                break;
            }
            case ControlKind::Frame: {
                // The log pane takes the placeholder's place and its id.
                auto* pane = new LogPaneWidget(this);
                const bool upper = control.id == ctl::kUpperPane;
                (upper ? m_upperPane : m_lowerPane) = pane;
                pane->setGeometry(rect);
                NameControl(*pane, ControlObjectName(control.id),
                            QString::fromUtf8(upper ? kUpperPaneName : kLowerPaneName));
                continue;
            }
            case ControlKind::GroupBox:
            case ControlKind::DefaultPushButton:
            case ControlKind::Picture:
            case ControlKind::ListView:
                continue;  // none in template 102 that the window draws
        }
        widget->setGeometry(rect);
        if (control.id != DialogControl::kNoId) {
            NameControl(*widget, ControlObjectName(control.id), text);
        } else {
            widget->setAccessibleName(text);
        }
    }
}

// Text on the left of the box, as the template's check boxes have it; right-aligned boxes keep
// their text flush against the box at the right edge. A box acts on every change of its state:
// a click or a key emits `clicked`, but a screen reader's or automation's toggle only `toggled`.
void MainWindow::BuildCheckBox(int id, const QString& text, bool rightAligned) {
    auto* box = new QCheckBox(text, this);
    box->setLayoutDirection(Qt::RightToLeft);
    box->setProperty("rightAligned", rightAligned);
    NameControl(*box, ControlObjectName(id), text);
    for (const OptionBinding& binding : kOptionBindings) {
        if (binding.id == id) {
            const OptionBox option = binding.box;
            connect(box, &QCheckBox::toggled, this, [this, option] {
                if (m_controller) {
                    m_controller->OnOptionClicked(option);
                }
            });
        }
    }
}

void MainWindow::BuildSystemMenu() {
    m_systemMenu = std::make_unique<QMenu>();
    m_systemMenu->setObjectName(QStringLiteral("systemMenu"));
    QAction* minimize = m_systemMenu->addAction(QStringLiteral("Свернуть"));
    connect(minimize, &QAction::triggered, this, [this] {
        if (m_controller) {
            m_controller->OnSystemCommand(SystemCommand::Minimize);
        }
    });
    QAction* close = m_systemMenu->addAction(QStringLiteral("Закрыть"));
    close->setObjectName(QStringLiteral("systemClose"));
    close->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    close->setEnabled(false);
    m_systemMenu->addSeparator();
    QAction* about = m_systemMenu->addAction(QString::fromUtf8(kSystemMenuAboutText));
    about->setObjectName(QStringLiteral("cmd%1").arg(cmd::kAbout));
    connect(about, &QAction::triggered, this, [this] { RunAboutBox(this); });
}

// Table 131: Esc and Enter minimise (into the tray); they never close the window. F1: help.
// Alt+Space opens the system menu.
void MainWindow::BuildAccelerators() {
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::Key_Return),
                                    QKeySequence(Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this, [this] {
            if (m_controller) {
                m_controller->OnSystemCommand(SystemCommand::Minimize);
            }
        });
    }
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] {
        if (m_controller) {
            m_controller->OnHelp();
        }
    });
    auto* menu = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(menu, &QShortcut::activated, this,
            [this] { m_systemMenu->popup(mapToGlobal(QPoint(0, 0))); });
}

// --- Commands -------------------------------------------------------------------------------

void MainWindow::RunCommand(int command) {
    if (!m_controller) {
        return;
    }
    switch (command) {
        case cmd::kTrayRestore:
            m_controller->RestoreFromTray();
            break;
        case cmd::kTrayAbout:
            RunAboutBox(this);
            break;
        case cmd::kTrayExit:
            RequestExit();
            break;
        default:
            break;
    }
}

void MainWindow::RequestExit() {
    if (m_controller && m_controller->RequestExit()) {
        emit exitAccepted();
    }
}

// The title bar's close and the window manager's close are refused: the program ends only
// through "Выход".
void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
}

// The minimise box and the task bar's restore reach the controller as the system commands.
void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || m_changingState || !m_controller) {
        return;
    }
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    if (isMinimized()) {
        m_controller->OnSystemCommand(SystemCommand::Minimize);
    } else if (change->oldState() & Qt::WindowMinimized) {
        m_controller->OnSystemCommand(SystemCommand::Restore);
    }
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    m_systemMenu->popup(event->globalPos());
}

// --- MainView -------------------------------------------------------------------------------

void MainWindow::AddLine(Pane pane, const std::string& line) {
    (pane == Pane::Upper ? m_upperPane : m_lowerPane)->AddLine(line);
}

ProgressBarWidget* MainWindow::Bar(int bar) const {
    return bar == 2 ? m_bar2 : m_bar1;
}

void MainWindow::SetBarPosition(int bar, int position) {
    Bar(bar)->SetPosition(position);
}

void MainWindow::SetBarCaption(int bar, const std::string& caption) {
    Bar(bar)->SetCaption(caption);
    Bar(bar)->setAccessibleName(QString::fromStdString(caption));
}

void MainWindow::FillPortSelector(const std::vector<int>& ports, int selectedPort) {
    m_portSelector->clear();
    for (const int port : ports) {
        m_portSelector->addItem(QStringLiteral("COM%1").arg(port), port);
    }
    m_portSelector->setCurrentIndex(m_portSelector->findData(selectedPort));
}

void MainWindow::EnablePortSelector(bool enabled) {
    m_portSelector->setEnabled(enabled);
}

QCheckBox* MainWindow::CheckBox(int id) const {
    return findChild<QCheckBox*>(ControlObjectName(id));
}

std::optional<Controls> MainWindow::ReadControls() {
    Controls controls;
    for (const OptionBinding& binding : kOptionBindings) {
        controls.options.*binding.member = CheckBox(binding.id)->isChecked() ? 1 : 0;
    }
    const QVariant port = m_portSelector->currentData();
    controls.port = port.isValid() ? port.toInt() : 0;
    return controls;
}

// The controller's own values going into the boxes are not the user's choice: a box that acted
// here would read the boxes not yet filled back into the controller.
void MainWindow::ShowOptions(const Options& options) {
    for (const OptionBinding& binding : kOptionBindings) {
        QCheckBox* box = CheckBox(binding.id);
        const QSignalBlocker quiet(box);
        box->setChecked(options.*binding.member != 0);
    }
}

void MainWindow::ShowDriveButtons(const std::vector<DriveButton>& buttons) {
    for (std::size_t k = 0; k < m_driveButtons.size(); ++k) {
        DriveButtonWidget* button = m_driveButtons[k];
        if (k < buttons.size()) {
            button->SetRoot(QString::fromStdString(buttons[k].root));
            button->setEnabled(buttons[k].enabled);
            button->show();
        } else {
            button->hide();
        }
    }
}

void MainWindow::SetTrayIcon(bool present, const std::string& tooltip) {
    if (!present || !m_trayAvailable) {
        // The icon goes at once; the object may be the sender of the command that got here.
        if (m_tray) {
            m_tray->Icon().hide();
            m_tray.release()->deleteLater();
        }
        return;
    }
    if (!m_tray) {
        m_tray = std::make_unique<TrayIcon>(this, tooltip);
        connect(m_tray.get(), &TrayIcon::command, this, &MainWindow::RunCommand);
    }
}

void MainWindow::UpdateTooltip(const std::string& tooltip) {
    if (m_tray) {
        m_tray->UpdateTooltip(tooltip);
    }
}

// Without a notification area the window goes to the task bar instead of disappearing.
void MainWindow::ShowWindow(bool visible) {
    FlagScope changing(m_changingState);
    if (visible) {
        show();
    } else if (m_trayAvailable) {
        hide();
    } else {
        showMinimized();
    }
}

void MainWindow::RestoreWindow() {
    FlagScope changing(m_changingState);
    showNormal();
    raise();
    activateWindow();
}

std::optional<std::vector<SelectionKey>> MainWindow::ShowPreview(const std::string& folder,
                                                                 const ImportHistory* history) {
    return RunPreviewDialog(this, folder, m_programFolder, history);
}

void MainWindow::ShowError(const std::string& text) {
    QMessageBox::critical(this, windowTitle(), QString::fromStdString(text));
}

}  // namespace zep
