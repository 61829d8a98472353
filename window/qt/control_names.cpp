// Object and accessible names of the window's controls.
#include "window/qt/control_names.h"

namespace zep {

QString ControlObjectName(int id) {
    return QStringLiteral("ctl%1").arg(id);
}

void NameControl(QWidget& widget, const QString& objectName, const QString& accessibleName) {
    widget.setObjectName(objectName);
    widget.setAccessibleName(accessibleName);
}

}  // namespace zep
