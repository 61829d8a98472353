// Draws the program icon (a meter dial on a card) at the sizes the desktop asks for, so the
// program carries no image files.
#include "window/qt/program_icon.h"

#include <QPainter>
#include <QPixmap>

namespace zep {

namespace {

QPixmap DrawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);
    painter.setPen(QPen(QColor(0, 0, 96), 1.5));
    painter.setBrush(QColor(32, 96, 192));
    painter.drawRoundedRect(QRectF(2, 4, 28, 24), 4, 4);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(16, 17), 9, 9);
    painter.setPen(QPen(QColor(200, 0, 0), 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(16, 17), QPointF(21.5, 11.5));
    painter.setPen(QPen(QColor(0, 128, 0), 2));
    painter.drawLine(QPointF(8, 29), QPointF(24, 29));
    return pixmap;
}

}  // namespace

const QIcon& ProgramIcon() {
    static const QIcon icon = [] {
        QIcon made;
        for (const int size : {16, 22, 24, 32, 48, 64}) {
            made.addPixmap(DrawIcon(size));
        }
        return made;
    }();
    return icon;
}

}  // namespace zep
