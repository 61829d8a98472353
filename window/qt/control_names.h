#pragma once
// How desktop automation and screen readers find a control: its object name comes from its
// template id ("ctl1003"), its accessible name is its visible text.
#include <QString>
#include <QWidget>

namespace zep {

QString ControlObjectName(int id);
void NameControl(QWidget& widget, const QString& objectName, const QString& accessibleName);

}  // namespace zep
