#pragma once
// The three calls by which workers reach the window (or the console): progress bar 1,
// progress bar 2 and log lines for the two panes. Receivers copy the texts, so a worker may
// pass temporaries. Texts are UTF-8; a line may begin with a colour code such as "$04".
#include <optional>
#include <string>

namespace zep {

class WorkerReport {
public:
    virtual ~WorkerReport() = default;

    // Bar 1: position 0..100; a caption of nullopt leaves the caption as it is.
    virtual void SetBar1(int position, std::optional<std::string> caption) = 0;
    // Bar 2: the same for the second bar.
    virtual void SetBar2(int position, std::optional<std::string> caption) = 0;
    // Adds the lower-pane line first, then the upper-pane line; nullopt means "no line".
    virtual void AddLogLines(std::optional<std::string> lower,
                             std::optional<std::string> upper) = 0;

    void LogUpper(std::string line) { AddLogLines(std::nullopt, std::move(line)); }
    void LogLower(std::string line) { AddLogLines(std::move(line), std::nullopt); }
};

}  // namespace zep
