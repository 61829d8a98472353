// The Qt text progress bar: paints the ui model's split and text off-screen, then in one copy.
#include "window/qt/progress_bar_widget.h"

#include <QPainter>
#include <QPixmap>

namespace zep {

ProgressBarWidget::ProgressBarWidget(QWidget* parent)
    : QWidget(parent),
      m_barColour(palette().color(QPalette::Highlight)),
      m_backgroundColour(palette().color(QPalette::Base)),
      m_textOnBackground(palette().color(QPalette::Highlight)),
      m_textOnBar(palette().color(QPalette::Base)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ProgressBarWidget::SetPosition(int position) {
    if (m_model.SetPosition(position, width())) {
        repaint();
    }
}

void ProgressBarWidget::SetCaption(const std::string& utf8) {
    if (m_model.SetCaption(utf8)) {
        update();
    }
}

void ProgressBarWidget::SetShowText(bool on) {
    if (m_model.SetShowText(on)) {
        update();
    }
}

void ProgressBarWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_model.Resized();
}

void ProgressBarWidget::PaintBar(QPainter& painter) const {
    const QRect client = rect();
    const int split = m_model.SplitX(client.left(), client.width());
    const QRect done(client.left(), client.top(), split - client.left(), client.height());
    const QRect remaining(split, client.top(), client.right() + 1 - split, client.height());
    painter.fillRect(done, m_barColour);
    painter.fillRect(remaining, m_backgroundColour);
    const QString text = QString::fromStdString(m_model.Text());
    if (text.isEmpty()) {
        return;
    }
    painter.setFont(font());
    const int flags = Qt::AlignCenter | Qt::TextSingleLine;
    painter.setClipRect(done);
    painter.setPen(m_textOnBar);
    painter.drawText(client, flags, text);
    painter.setClipRect(remaining);
    painter.setPen(m_textOnBackground);
    painter.drawText(client, flags, text);
}

void ProgressBarWidget::paintEvent(QPaintEvent*) {
    if (!m_model.Paints() || size().isEmpty()) {
        return;
    }
    QPixmap offscreen(size() * devicePixelRatioF());
    offscreen.setDevicePixelRatio(devicePixelRatioF());
    {
        QPainter painter(&offscreen);
        PaintBar(painter);
    }
    QPainter(this).drawPixmap(0, 0, offscreen);
}

}  // namespace zep
