#pragma once
// The log pane: coloured lines, newest at the bottom, wrapped to the width, with a vertical
// scroll bar. Painted bottom-up from the stored lines on every paint.
#include <QByteArray>
#include <QHash>
#include <QStaticText>
#include <QWidget>
#include <string>
#include <string_view>

#include "ui/log_pane_model.h"
#include "window/qt/text_measure.h"

class QScrollBar;

namespace zep {

class LogPaneWidget : public QWidget {
    Q_OBJECT
public:
    explicit LogPaneWidget(QWidget* parent = nullptr);
    void AddLine(const std::string& utf8Line);

    const LogPaneModel& Model() const { return m_model; }
    QScrollBar* ScrollBar() const { return m_scrollBar; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void OnScrollAction(int action);
    void SyncScrollBar();
    QRect TextArea() const;
    const QStaticText& StaticText(std::string_view text);

    LogPaneModel m_model;
    QScrollBar* m_scrollBar = nullptr;
    QColor m_background;
    TextMeasure m_measure;
    QHash<QByteArray, QStaticText> m_runCache;
    int m_wheelDelta = 0;
};

}  // namespace zep
