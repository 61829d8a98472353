#pragma once
// Interim stand-ins for the log pane, the progress bar and the preview dialog, with their
// interfaces; they go once the painted widgets are in.
#include <QPlainTextEdit>
#include <QProgressBar>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/worker_params.h"

namespace zep::interim {

class LogPaneWidget : public QPlainTextEdit {
public:
    explicit LogPaneWidget(QWidget* parent = nullptr) : QPlainTextEdit(parent) {
        setReadOnly(true);
        setMaximumBlockCount(500);
        setLineWrapMode(QPlainTextEdit::NoWrap);
    }
    void AddLine(const std::string& utf8Line) { appendPlainText(QString::fromStdString(utf8Line)); }
};

class ProgressBarWidget : public QProgressBar {
public:
    explicit ProgressBarWidget(QWidget* parent = nullptr) : QProgressBar(parent) {
        setRange(0, 100);
        setValue(0);
    }
    void SetPosition(int position) { setValue(position); }
    void SetCaption(const std::string& caption) {
        setFormat(QString::fromStdString(caption) + QStringLiteral(" %p%"));
    }
    void SetShowText(bool show) { setTextVisible(show); }
};

inline std::optional<std::vector<SelectionKey>> RunPreviewDialog(QWidget*, const std::string&,
                                                                 const std::filesystem::path&) {
    return std::vector<SelectionKey>{};
}

}  // namespace zep::interim
