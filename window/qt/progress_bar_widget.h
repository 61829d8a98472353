#pragma once
// The text progress bar: a filled and an empty part with a centred text whose colour flips
// where it crosses the edge. It repaints on a position change only when the edge moves.
#include <QColor>
#include <QWidget>
#include <string>

#include "ui/progress_bar_model.h"

namespace zep {

class ProgressBarWidget : public QWidget {
    Q_OBJECT
public:
    explicit ProgressBarWidget(QWidget* parent = nullptr);
    void SetPosition(int position);
    void SetCaption(const std::string& utf8);
    void SetShowText(bool on);

    const ProgressBarModel& Model() const { return m_model; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PaintBar(QPainter& painter) const;

    ProgressBarModel m_model;
    QColor m_barColour;
    QColor m_backgroundColour;
    QColor m_textOnBackground;
    QColor m_textOnBar;
};

}  // namespace zep
