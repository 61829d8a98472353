// Conversion of template dialog units to the window's logical pixels.
#include "window/qt/dialog_geometry.h"

#include <QFontMetricsF>
#include <QStringList>

#include <cmath>

namespace zep {

namespace {

constexpr double kPixelsPerUnitX = 1.5;
constexpr double kPixelsPerUnitY = 1.625;
// Dialog base units are measured over these letters: 4 horizontal units are their mean width.
constexpr const char* kBaseUnitSample = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr double kBaseUnitWidth = 4 * kPixelsPerUnitX;
constexpr double kSmallestPoints = 6.0;
constexpr double kPointStep = 0.5;

double MeanLetterWidth(const QFont& font) {
    const QString sample = QString::fromLatin1(kBaseUnitSample);
    return QFontMetricsF(font).horizontalAdvance(sample) / sample.size();
}

int X(int units) {
    return static_cast<int>(std::lround(units * kPixelsPerUnitX));
}

int Y(int units) {
    return static_cast<int>(std::lround(units * kPixelsPerUnitY));
}

}  // namespace

// The edges are rounded, not the sizes, so that neighbouring controls keep their gaps.
QRect ToPixels(const DialogRect& rect) {
    const int left = X(rect.x);
    const int top = Y(rect.y);
    return QRect(left, top, X(rect.x + rect.width) - left, Y(rect.y + rect.height) - top);
}

QSize ClientSize(const DialogTemplate& dialog) {
    return QSize(X(dialog.width), Y(dialog.height));
}

// The face the template names is rarely installed; the stand-in is made no wider than the
// base units the layout was drawn for, so that the texts fit their controls.
QFont DialogFont(const DialogTemplate& dialog) {
    const QString face = QString::fromStdString(dialog.fontName);
    QStringList standIns;
    standIns << QStringLiteral("Liberation Sans") << QStringLiteral("Arial")
             << QStringLiteral("Nimbus Sans");
    QFont::insertSubstitutions(face, standIns);
    QFont font(face);
    font.setStyleHint(QFont::SansSerif);
    double points = dialog.fontPoints;
    font.setPointSizeF(points);
    while (points > kSmallestPoints && MeanLetterWidth(font) > kBaseUnitWidth) {
        points -= kPointStep;
        font.setPointSizeF(points);
    }
    return font;
}

}  // namespace zep
