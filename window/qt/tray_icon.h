#pragma once
// The notification-area icon over QSystemTrayIcon: the program icon with the tooltip, menu 129
// on a right click, and command 32773 ("Восстановить") on a double click. The window creates
// one when it goes to the tray and destroys it when it comes back.
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

#include <memory>
#include <string>

namespace zep {

class TrayIcon final : public QObject {
    Q_OBJECT
public:
    TrayIcon(QObject* parent, const std::string& tooltip);
    ~TrayIcon() override;

    void UpdateTooltip(const std::string& tooltip);
    QSystemTrayIcon& Icon() { return m_icon; }
    QMenu& Menu() { return *m_menu; }

signals:
    // A command of menu 129 (a chosen item, or the default item on a double click).
    void command(int id);

private:
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

    std::unique_ptr<QMenu> m_menu;  // a top-level menu: no parent widget owns it
    QSystemTrayIcon m_icon;
};

}  // namespace zep
