// The card preview dialog: reads the card on its first tick, then cancels itself when the
// card folder goes away; OK hands over the keys of the checked rows.
#include "window/qt/preview_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "media/preview_model.h"
#include "platform/drive_list.h"
#include "ui/preview_template.h"
#include "window/qt/sort_list_widget.h"

namespace zep {

namespace {

QRect PixelRect(const DialogRect& units) {
    const DialogRect pixels = DialogUnitsToPixels(units);
    return QRect(pixels.x, pixels.y, pixels.width, pixels.height);
}

// Object names come from the control ids, so tests and desktop automation find the controls.
void Name(QWidget* widget, const DialogControl& control) {
    if (control.id != DialogControl::kNoId) {
        widget->setObjectName(QStringLiteral("ctl%1").arg(control.id));
    }
    widget->setAccessibleName(
        QString::fromUtf8(control.text.data(), static_cast<qsizetype>(control.text.size())));
}

QWidget* MakeControl(const DialogControl& control, QDialog* dialog) {
    const QString text =
        QString::fromUtf8(control.text.data(), static_cast<qsizetype>(control.text.size()));
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
            const int side = PixelRect(control.rect).height();
            picture->setPixmap(dialog->style()->standardIcon(QStyle::SP_DriveFDIcon).pixmap(side));
            return picture;
        }
        default:
            return new QLabel(text, dialog);
    }
}

}  // namespace

std::optional<std::vector<SelectionKey>> RunPreviewDialog(
    QWidget* parent, const std::string& cardFolder, const std::filesystem::path& programFolder) {
    PreviewDialog dialog(parent, cardFolder, programFolder / std::string(kListLayoutFileName));
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Selection();
}

PreviewDialog::PreviewDialog(QWidget* parent, std::string cardFolder,
                             std::filesystem::path layoutFile)
    : QDialog(parent), m_folder(std::move(cardFolder)), m_layoutFile(std::move(layoutFile)) {
    setObjectName(QStringLiteral("dlg%1").arg(kPreviewDialogId));
    setWindowTitle(QString::fromStdString(m_folder));
    BuildControls();
    m_list->AddColumns(kPreviewColumns);
    m_list->LoadLayout(m_layoutFile);
    m_list->setEnabled(false);
    m_timer.setInterval(kPreviewTickMs);
    connect(&m_timer, &QTimer::timeout, this, &PreviewDialog::OnTick);
    m_timer.start();
}

void PreviewDialog::BuildControls() {
    const DialogTemplate& dialog = PreviewTemplate();
    setFixedSize(PixelRect({0, 0, dialog.width, dialog.height}).size());
    for (const DialogControl& control : dialog.controls) {
        QWidget* widget = MakeControl(control, this);
        widget->setGeometry(PixelRect(control.rect));
        Name(widget, control);
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
    if (m_inTick) {
        return;
    }
    m_inTick = true;
    if (!m_scanned) {
        ReadFolder();
    } else if (!IsFolderPresent(m_folder)) {
        reject();
    }
    m_inTick = false;
}

void PreviewDialog::ReadFolder() {
    m_list->setEnabled(false);
    m_list->DeleteAllRows();
    const CardFolderContents contents = ReadCardFolder(m_folder);
    for (const PreviewRow& row : contents.rows) {
        const int index =
            m_list->AddRow({"", row.deviceType, row.serialNumber, row.heatSystem, row.date});
        m_list->SetRowValue(index, row.key);
    }
    m_scanned = true;
    m_list->setEnabled(true);
    m_list->Resort();
    const QString summary = QString::fromStdString(PreviewSummary(contents));
    m_status->setText(summary);
    m_status->setAccessibleName(summary);
}

void PreviewDialog::accept() {
    m_selection = m_list->CheckedValues();
    QDialog::accept();
}

void PreviewDialog::done(int result) {
    m_timer.stop();
    if (result != QDialog::Accepted) {
        m_selection.clear();
    }
    m_list->SaveLayout(m_layoutFile);
    QDialog::done(result);
}

}  // namespace zep
