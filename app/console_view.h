#pragma once
// The window of the headless mode: log lines go to standard output, one per line, lower-pane
// lines marked; the colour codes are removed, or shown as ANSI colours on a terminal. The
// controls are kept in memory only; the preview is never shown (everything is imported).
#include <mutex>
#include <ostream>
#include <string>

#include "app/main_view.h"

namespace zep {

// The text of one log line as the console prints it (without the line end).
std::string FormatConsoleLine(Pane pane, std::string_view line, bool ansiColours);

inline constexpr const char* kLowerPaneMark = "  > ";

class ConsoleView final : public MainView {
public:
    ConsoleView(std::ostream& out, std::ostream& errors, bool ansiColours);

    void AddLine(Pane pane, const std::string& line) override;
    void SetBarPosition(int, int) override {}
    void SetBarCaption(int, const std::string&) override {}
    void FillPortSelector(const std::vector<int>& ports, int selectedPort) override;
    void EnablePortSelector(bool) override {}
    std::optional<Controls> ReadControls() override { return m_controls; }
    void ShowOptions(const Options& options) override { m_controls.options = options; }
    void ShowDriveButtons(const std::vector<DriveButton>&) override {}
    void SetTrayIcon(bool, const std::string&) override {}
    void UpdateTooltip(const std::string&) override {}
    void ShowWindow(bool) override {}
    void RestoreWindow() override {}
    std::optional<std::vector<SelectionKey>> ShowPreview(const std::string&,
                                                         const ImportHistory*) override {
        return std::vector<SelectionKey>{};
    }
    void ShowError(const std::string& text) override;

private:
    void WriteWhole(std::ostream& stream, std::string line);

    std::mutex m_mutex;
    std::ostream& m_out;
    std::ostream& m_errors;
    bool m_ansiColours;
    Controls m_controls;
};

}  // namespace zep
