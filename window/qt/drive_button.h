#pragma once
// A drive button: its text is the drive's root. A mount point is often longer than the
// button is wide, so the text is drawn elided at its start (the end names the card) and the
// whole root is the tooltip and the accessible name.
#include <QPushButton>

namespace zep {

class DriveButtonWidget final : public QPushButton {
    Q_OBJECT
public:
    explicit DriveButtonWidget(QWidget* parent);
    void SetRoot(const QString& root);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace zep
