#pragma once
// The about box (template 100): the program's name and version, modal. The poll goes on
// meanwhile, its timer being served by the box's event loop.
#include <QDialog>

namespace zep {

class AboutBox final : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);
};

// Builds the box, runs it modally and returns when it is closed.
void RunAboutBox(QWidget* parent);

}  // namespace zep
