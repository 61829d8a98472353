#pragma once
// A worker report sink that remembers everything, for assertions on lines and progress.
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/worker_report.h"

namespace zep::test {

class RecordingReport : public WorkerReport {
public:
    struct Bar {
        int bar;
        int position;
        std::optional<std::string> caption;
    };

    void SetBar1(int position, std::optional<std::string> caption) override;
    void SetBar2(int position, std::optional<std::string> caption) override;
    void AddLogLines(std::optional<std::string> lower, std::optional<std::string> upper) override;

    std::vector<std::string> Upper() const;
    std::vector<std::string> Lower() const;
    // Both panes in arrival order, lower-pane lines prefixed with "lower: ".
    std::vector<std::string> All() const;
    std::vector<Bar> Bars() const;
    bool HasUpper(const std::string& line) const;
    // The line that follows the first one equal to line in the pane (a failure's reason), or
    // nullopt.
    std::optional<std::string> UpperAfter(const std::string& line) const;
    std::optional<std::string> LowerAfter(const std::string& line) const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_upper;
    std::vector<std::string> m_lower;
    std::vector<std::string> m_all;
    std::vector<Bar> m_bars;
};

}  // namespace zep::test
