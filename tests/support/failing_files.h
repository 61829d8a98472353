#pragma once
// A gate before the file calls (platform/file_calls.h) for the life of a test: it records every
// call in order and makes the n-th call of a kind fail.
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/file_calls.h"

namespace zep::test {

// The reason the log gives for a call the gate refuses: an input/output error.
inline const std::string kDiskFault = "ошибка ввода-вывода (сбой диска или носителя)";

class FailingFiles : public FileCallGate {
public:
    struct Call {
        FileCall call;
        std::filesystem::path path;
    };

    FailingFiles() { SetFileCallGate(this); }
    ~FailingFiles() override { SetFileCallGate(nullptr); }
    FailingFiles(const FailingFiles&) = delete;
    FailingFiles& operator=(const FailingFiles&) = delete;

    // Makes the n-th call of the kind fail (1: the first from now on); nth 0 makes every one fail.
    void Fail(FileCall call, int nth = 1);
    bool Allow(FileCall call, const std::filesystem::path& path) override;
    // Called before each call is judged (outside the gate's lock), as when a card is pulled
    // just as an output gets its name.
    std::function<void(FileCall, const std::filesystem::path&)> before;
    std::vector<Call> Calls() const;
    // Where the first call of the kind to the name (by file name) stands in Calls(); -1 if none.
    int IndexOf(FileCall call, const std::filesystem::path& name = {}) const;

private:
    mutable std::mutex m_mutex;
    std::vector<Call> m_calls;
    struct Fault {
        FileCall call;
        int nth;
        int seen = 0;
    };
    std::vector<Fault> m_faults;
};

// Fails every flush of one folder (its names, or the file system through it), as a failing
// disk would, for the life of a test.
class FolderFlushFails : public FileCallGate {
public:
    explicit FolderFlushFails(std::filesystem::path folder) : m_folder(std::move(folder)) {
        SetFileCallGate(this);
    }
    ~FolderFlushFails() override { SetFileCallGate(nullptr); }
    FolderFlushFails(const FolderFlushFails&) = delete;
    FolderFlushFails& operator=(const FolderFlushFails&) = delete;
    bool Allow(FileCall call, const std::filesystem::path& path) override {
        return call != FileCall::Flush || path != m_folder;
    }

private:
    std::filesystem::path m_folder;
};

}  // namespace zep::test
