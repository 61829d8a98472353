// Drive buttons of the main window, drawn with the root elided to fit.
#include "window/qt/drive_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace zep {

namespace {

constexpr int kTextMargin = 2;

}  // namespace

DriveButtonWidget::DriveButtonWidget(QWidget* parent) : QPushButton(parent) {
    setAutoDefault(false);
    setFocusPolicy(Qt::TabFocus);
}

void DriveButtonWidget::SetRoot(const QString& root) {
    setText(root);
    setToolTip(root);
    setAccessibleName(root);
}

void DriveButtonWidget::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text = fontMetrics().elidedText(text(), Qt::ElideLeft, width() - 2 * kTextMargin);
    painter.drawControl(QStyle::CE_PushButton, option);
}

}  // namespace zep
