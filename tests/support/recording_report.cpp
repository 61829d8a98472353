// A worker report that keeps every line and bar position for the tests to check.
#include "tests/support/recording_report.h"

#include <algorithm>

namespace zep::test {

void RecordingReport::SetBar1(int position, std::optional<std::string> caption) {
    std::lock_guard guard(m_mutex);
    m_bars.push_back({1, position, std::move(caption)});
}

void RecordingReport::SetBar2(int position, std::optional<std::string> caption) {
    std::lock_guard guard(m_mutex);
    m_bars.push_back({2, position, std::move(caption)});
}

void RecordingReport::AddLogLines(std::optional<std::string> lower,
                                  std::optional<std::string> upper) {
    std::lock_guard guard(m_mutex);
    if (lower) {
        m_lower.push_back(*lower);
        m_all.push_back("lower: " + *lower);
    }
    if (upper) {
        m_upper.push_back(*upper);
        m_all.push_back(*upper);
    }
}

std::vector<std::string> RecordingReport::Upper() const {
    std::lock_guard guard(m_mutex);
    return m_upper;
}

std::vector<std::string> RecordingReport::Lower() const {
    std::lock_guard guard(m_mutex);
    return m_lower;
}

std::vector<std::string> RecordingReport::All() const {
    std::lock_guard guard(m_mutex);
    return m_all;
}

std::vector<RecordingReport::Bar> RecordingReport::Bars() const {
    std::lock_guard guard(m_mutex);
    return m_bars;
}

bool RecordingReport::HasUpper(const std::string& line) const {
    std::lock_guard guard(m_mutex);
    return std::find(m_upper.begin(), m_upper.end(), line) != m_upper.end();
}

namespace {

std::optional<std::string> After(const std::vector<std::string>& lines, const std::string& line) {
    const auto found = std::find(lines.begin(), lines.end(), line);
    if (found == lines.end() || found + 1 == lines.end()) {
        return std::nullopt;
    }
    return found[1];
}

}  // namespace

std::optional<std::string> RecordingReport::UpperAfter(const std::string& line) const {
    std::lock_guard guard(m_mutex);
    return After(m_upper, line);
}

std::optional<std::string> RecordingReport::LowerAfter(const std::string& line) const {
    std::lock_guard guard(m_mutex);
    return After(m_lower, line);
}

void RecordingReport::Clear() {
    std::lock_guard guard(m_mutex);
    m_upper.clear();
    m_lower.clear();
    m_all.clear();
    m_bars.clear();
}

}  // namespace zep::test
