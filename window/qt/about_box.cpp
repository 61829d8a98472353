// The about box laid out from template 100; the version line is filled from the program's
// version number.
#include "window/qt/about_box.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "app/program_version.h"
#include "ui/dialog_templates.h"
#include "window/qt/control_names.h"
#include "window/qt/dialog_geometry.h"
#include "window/qt/program_icon.h"

namespace zep {

namespace {

constexpr int kIconPixels = 32;

QWidget* CreateControl(QDialog& box, const DialogControl& control) {
    const QString text = QString::fromStdString(control.text);
    switch (control.kind) {
        case ControlKind::GroupBox:
            return new QGroupBox(text, &box);
        case ControlKind::Icon: {
            auto* icon = new QLabel(&box);
            icon->setPixmap(ProgramIcon().pixmap(kIconPixels, kIconPixels));
            return icon;
        }
        case ControlKind::PushButton: {
            auto* ok = new QPushButton(text, &box);
            ok->setDefault(true);
            QObject::connect(ok, &QPushButton::clicked, &box, &QDialog::accept);
            return ok;
        }
        default:
            return new QLabel(text, &box);
    }
}

}  // namespace

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    const DialogTemplate& dialog = AboutBoxTemplate();
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(QString::fromStdString(dialog.caption));
    setFont(DialogFont(dialog));
    setFixedSize(ClientSize(dialog));
    setModal(true);
    for (const DialogControl& control : dialog.controls) {
        // Qt's widgets own their children; the box deletes them.
        QWidget* widget = CreateControl(*this, control);
        widget->setGeometry(ToPixels(control.rect));
        const QString name =
            control.id == DialogControl::kNoId ? QString() : ControlObjectName(control.id);
        NameControl(*widget, name, QString::fromStdString(control.text));
    }
    if (auto* version = findChild<QLabel*>(ControlObjectName(ctl::kVersionLine))) {
        const QString text = QString::fromStdString(AboutVersionLine(ProgramFileVersion()));
        version->setText(text);
        version->setAccessibleName(text);
    }
}

void RunAboutBox(QWidget* parent) {
    AboutBox box(parent);
    box.exec();
}

}  // namespace zep
