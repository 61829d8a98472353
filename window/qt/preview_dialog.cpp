// The card preview dialog in Qt: template 133 laid out in dialog units, the session's rows and
// summary drawn, its timer's ticks and the buttons handed to the session.
#include "window/qt/preview_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "ui/preview_template.h"
#include "window/qt/control_names.h"
#include "window/qt/dialog_geometry.h"
#include "window/qt/sort_list_widget.h"

namespace zep {

namespace {

QWidget* MakeControl(const DialogControl& control, QDialog* dialog) {
    const QString text = QString::fromStdString(control.text);
    switch (control.kind) {
        case ControlKind::PushButton:
        case ControlKind::DefaultPushButton: {
            auto* button = new QPushButton(text, dialog);
            button->setDefault(control.kind == ControlKind::DefaultPushButton);
            return button;
        }
        case ControlKind::ListView:
            return new SortListWidget(dialog);
        case ControlKind::Picture: {
            auto* picture = new QLabel(dialog);
            const int side = ToPixels(control.rect).height();
            picture->setPixmap(dialog->style()->standardIcon(QStyle::SP_DriveFDIcon).pixmap(side));
            return picture;
        }
        default:
            return new QLabel(text, dialog);
    }
}

}  // namespace

std::optional<std::vector<SelectionKey>> RunPreviewDialog(
    QWidget* parent, const std::string& cardFolder, const std::filesystem::path& programFolder,
    const ImportHistory* history) {
    PreviewDialog dialog(parent, cardFolder, programFolder / std::string(kListLayoutFileName),
                         history);
    dialog.exec();
    return dialog.Result();
}

PreviewDialog::PreviewDialog(QWidget* parent, std::string cardFolder,
                             std::filesystem::path layoutFile, const ImportHistory* history)
    : QDialog(parent),
      m_session(*this, std::move(cardFolder), history),
      m_layoutFile(std::move(layoutFile)) {
    setObjectName(QStringLiteral("dlg%1").arg(kPreviewDialogId));
    setWindowTitle(QString::fromStdString(m_session.Folder()));
    BuildControls();
    m_list->AddColumns(kPreviewColumns);
    m_list->LoadLayout(m_layoutFile);
    m_list->setEnabled(false);
    m_timer.setInterval(kPreviewTickMs);
    connect(&m_timer, &QTimer::timeout, this, &PreviewDialog::OnTick);
    m_timer.start();
}

// The controls are children of the dialog, which deletes them (Qt's ownership).
void PreviewDialog::BuildControls() {
    const DialogTemplate& dialog = PreviewTemplate();
    setFont(DialogFont(dialog));
    setFixedSize(ClientSize(dialog));
    for (const DialogControl& control : dialog.controls) {
        QWidget* widget = MakeControl(control, this);
        widget->setGeometry(ToPixels(control.rect));
        const QString name =
            control.id == DialogControl::kNoId ? QString() : ControlObjectName(control.id);
        NameControl(*widget, name, QString::fromStdString(control.text));
        if (control.id == kPreviewListId) {
            m_list = static_cast<SortListWidget*>(widget);
        } else if (control.id == kPreviewStatusId) {
            m_status = static_cast<QLabel*>(widget);
        } else if (control.id == kPreviewOkId) {
            connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this,
                    &QDialog::accept);
        } else if (control.id == kPreviewCancelId) {
            connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this,
                    &QDialog::reject);
        }
    }
}

void PreviewDialog::OnTick() {
    m_session.OnTick();
}

void PreviewDialog::BeginReading() {
    m_list->setEnabled(false);
    m_list->DeleteAllRows();
}

void PreviewDialog::ShowCard(const std::vector<PreviewListRow>& rows, const std::string& summary) {
    for (const PreviewListRow& row : rows) {
        const int added = m_list->AddRow(row.cells);
        m_list->SetRowValue(added, row.key);
        if (row.imported) {
            m_list->SetRowGreyed(added);
        }
    }
    m_list->setEnabled(true);
    m_list->Resort();
    const QString text = QString::fromStdString(summary);
    m_status->setText(text);
    m_status->setAccessibleName(text);
}

void PreviewDialog::CancelPreview() {
    reject();
}

void PreviewDialog::accept() {
    m_session.Accept(m_list->CheckedValues());
    QDialog::accept();
}

void PreviewDialog::done(int result) {
    m_timer.stop();
    m_list->SaveLayout(m_layoutFile);
    QDialog::done(result);
}

}  // namespace zep
