// Records the file calls of a test and fails the chosen ones.
#include "tests/support/failing_files.h"

namespace zep::test {

void FailingFiles::Fail(FileCall call, int nth) {
    const std::lock_guard lock(m_mutex);
    m_faults.push_back({call, nth});
}

bool FailingFiles::Allow(FileCall call, const std::filesystem::path& path) {
    if (before) {
        before(call, path);
    }
    const std::lock_guard lock(m_mutex);
    m_calls.push_back({call, path});
    bool allowed = true;
    for (Fault& fault : m_faults) {
        if (fault.call == call && (fault.nth == 0 || ++fault.seen == fault.nth)) {
            allowed = false;
        }
    }
    return allowed;
}

std::vector<FailingFiles::Call> FailingFiles::Calls() const {
    const std::lock_guard lock(m_mutex);
    return m_calls;
}

int FailingFiles::IndexOf(FileCall call, const std::filesystem::path& name) const {
    const std::lock_guard lock(m_mutex);
    for (std::size_t i = 0; i < m_calls.size(); ++i) {
        if (m_calls[i].call == call &&
            (name.empty() || m_calls[i].path.filename() == name.filename())) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace zep::test
