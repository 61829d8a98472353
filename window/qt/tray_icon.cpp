// Menu 129 and the icon's mouse actions; the commands go to the window as signals.
#include "window/qt/tray_icon.h"

#include "ui/dialog_templates.h"
#include "window/qt/program_icon.h"

namespace zep {

TrayIcon::TrayIcon(QObject* parent, const std::string& tooltip)
    : QObject(parent), m_menu(std::make_unique<QMenu>()), m_icon(this) {
    setObjectName(QStringLiteral("trayIcon"));
    m_icon.setObjectName(QStringLiteral("systemTrayIcon"));
    m_menu->setObjectName(QStringLiteral("menu129"));
    for (const MenuItem& item : TrayMenu()) {
        if (item.command == 0) {
            m_menu->addSeparator();
            continue;
        }
        QAction* action = m_menu->addAction(QString::fromUtf8(item.text));
        action->setObjectName(QStringLiteral("cmd%1").arg(item.command));
        const int id = item.command;
        connect(action, &QAction::triggered, this, [this, id] { emit command(id); });
        // The first item is the default: it is what a double click gives.
        if (item.command == cmd::kTrayRestore) {
            QFont font = action->font();
            font.setBold(true);
            action->setFont(font);
        }
    }
    m_icon.setIcon(ProgramIcon());
    m_icon.setToolTip(QString::fromStdString(tooltip));
    m_icon.setContextMenu(m_menu.get());
    connect(&m_icon, &QSystemTrayIcon::activated, this, &TrayIcon::OnActivated);
    m_icon.show();
}

TrayIcon::~TrayIcon() {
    m_icon.hide();
}

void TrayIcon::UpdateTooltip(const std::string& tooltip) {
    m_icon.setToolTip(QString::fromStdString(tooltip));
}

void TrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick) {
        emit command(cmd::kTrayRestore);
    }
}

}  // namespace zep
