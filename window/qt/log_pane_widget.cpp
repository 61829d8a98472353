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
    // A notch is 120; touch pads send parts of one, which add up to a line.
    m_wheelDelta += event->angleDelta().y();
    for (; m_wheelDelta >= 120; m_wheelDelta -= 120) {
        m_model.Scroll(ScrollRequest::LineUp);
    }
    for (; m_wheelDelta <= -120; m_wheelDelta += 120) {
        m_model.Scroll(ScrollRequest::LineDown);
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
        m_runCache.clear();
        update();
    }
}

const QStaticText& LogPaneWidget::StaticText(std::string_view text) {
    // The same runs come back paint after paint; laying out their glyphs once saves most of
    // the drawing time. The cache holds a few panes' worth of runs.
    constexpr qsizetype kMaxCachedRuns = 4096;
    const QByteArray key(text.data(), static_cast<qsizetype>(text.size()));
    auto found = m_runCache.find(key);
    if (found == m_runCache.end()) {
        if (m_runCache.size() >= kMaxCachedRuns) {
            m_runCache.clear();
        }
        QStaticText laidOut(QString::fromUtf8(key));
        laidOut.setTextFormat(Qt::PlainText);
        laidOut.setPerformanceHint(QStaticText::AggressiveCaching);
        laidOut.prepare(QTransform(), font());
        found = m_runCache.insert(key, laidOut);
    }
    return *found;
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
        painter.fillRect(0, row.top, area.width(), lineHeight, m_background);
        int x = 0;
        for (const TextRun& run : row.runs) {
            // A word wider than the pane runs past the edge: only what shows is drawn.
            const std::string_view shown = m_measure.Fitting(run.text, area.width() - x);
            const int runWidth = m_measure.Width(shown);
            if (run.background) {
                painter.fillRect(x, row.top, runWidth, lineHeight, ToQColor(*run.background));
            }
            painter.setPen(ToQColor(run.colour));
            painter.drawStaticText(x, row.top, StaticText(shown));
            x += runWidth;
            if (x >= area.width()) {
                break;
            }
        }
    }
}

}  // namespace zep
