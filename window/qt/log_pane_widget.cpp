// The Qt log pane: draws the ui layout of the lines and maps the scroll bar onto the model.
#include "window/qt/log_pane_widget.h"

#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>

#include "ui/log_pane_layout.h"

namespace zep {

namespace {

QColor ToQColor(const Rgb& rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

}  // namespace

LogPaneWidget::LogPaneWidget(QWidget* parent)
    : QWidget(parent),
      m_scrollBar(new QScrollBar(Qt::Vertical, this)),
      m_background(palette().color(QPalette::Base)),
      m_measure(UnkernedFont(font())) {
    setFont(UnkernedFont(font()));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::IBeamCursor);
    m_scrollBar->setCursor(Qt::ArrowCursor);
    m_scrollBar->setRange(0, 0);
    m_scrollBar->setSingleStep(1);
    m_scrollBar->setPageStep(1);
    connect(m_scrollBar, &QScrollBar::actionTriggered, this, &LogPaneWidget::OnScrollAction);
}

void LogPaneWidget::AddLine(const std::string& utf8Line) {
    m_model.AddLine(utf8Line);
    SyncScrollBar();
    update();
}

void LogPaneWidget::SyncScrollBar() {
    const QSignalBlocker blocker(m_scrollBar);
    m_scrollBar->setRange(0, m_model.ScrollMaximum());
    m_scrollBar->setValue(std::max(0, m_model.ViewLine()));
}

void LogPaneWidget::OnScrollAction(int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            m_model.Scroll(ScrollRequest::LineUp);
            break;
        case QAbstractSlider::SliderPageStepSub:
            m_model.Scroll(ScrollRequest::PageUp);
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            m_model.Scroll(ScrollRequest::LineDown);
            break;
        case QAbstractSlider::SliderPageStepAdd:
            m_model.Scroll(ScrollRequest::PageDown);
            break;
        case QAbstractSlider::SliderMove:
            m_model.Scroll(ScrollRequest::Thumb, m_scrollBar->sliderPosition());
            break;
        case QAbstractSlider::SliderToMinimum:
            m_model.Scroll(ScrollRequest::Top);
            break;
        case QAbstractSlider::SliderToMaximum:
            m_model.Scroll(ScrollRequest::Bottom);
            break;
        default:
            return;
    }
    // The slider applies its position after this signal: it must be the model's view line.
    m_scrollBar->setSliderPosition(std::max(0, m_model.ViewLine()));
    update();
}

void LogPaneWidget::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    for (int i = 0; i < std::abs(steps); ++i) {
        m_model.Scroll(steps > 0 ? ScrollRequest::LineUp : ScrollRequest::LineDown);
    }
    SyncScrollBar();
    update();
    event->accept();
}

QRect LogPaneWidget::TextArea() const {
    return QRect(0, 0, std::max(0, width() - m_scrollBar->sizeHint().width()), height());
}

void LogPaneWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int barWidth = m_scrollBar->sizeHint().width();
    m_scrollBar->setGeometry(width() - barWidth, 0, barWidth, height());
    SyncScrollBar();
}

void LogPaneWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_measure = TextMeasure(font());
        update();
    }
}

void LogPaneWidget::paintEvent(QPaintEvent*) {
    const QRect area = TextArea();
    QPainter painter(this);
    painter.setClipRect(area);
    painter.setFont(font());
    const int lineHeight = m_measure.LineHeight();
    const auto measure = [this](std::string_view text) { return m_measure.Width(text); };
    const PaneLayout layout =
        LayOutPane(m_model, {area.width(), area.height(), lineHeight}, measure);
    if (layout.clearBottom > 0) {
        painter.fillRect(0, 0, area.width(), layout.clearBottom, m_background);
    }
    for (const PaneRow& row : layout.rows) {
        int x = 0;
        for (const TextRun& run : row.runs) {
            const int runWidth = m_measure.Width(run.text);
            painter.fillRect(x, row.top, runWidth, lineHeight,
                             run.background ? ToQColor(*run.background) : m_background);
            painter.setPen(ToQColor(run.colour));
            painter.drawText(x, row.top + m_measure.Ascent(), QString::fromUtf8(run.text));
            x += runWidth;
            if (x >= area.width()) {
                break;
            }
        }
        if (x < area.width()) {
            painter.fillRect(x, row.top, area.width() - x, lineHeight, m_background);
        }
    }
}

}  // namespace zep
