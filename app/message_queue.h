#pragma once
// The window's message queue: workers post their progress and log messages from any thread,
// the controller posts itself the request to go to the tray, and the poll thread takes them in
// order. Posting never blocks on the window.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/worker_report.h"

namespace zep {

struct BarMessage {
    int bar = 1;
    int position = 0;
    std::optional<std::string> caption;  // nullopt keeps the caption
};

struct LogMessage {
    std::optional<std::string> lower;
    std::optional<std::string> upper;
};

struct MinimizeMessage {};

using WindowMessage = std::variant<BarMessage, LogMessage, MinimizeMessage>;

class MessageQueue final : public WorkerReport {
public:
    void SetBar1(int position, std::optional<std::string> caption) override;
    void SetBar2(int position, std::optional<std::string> caption) override;
    void AddLogLines(std::optional<std::string> lower, std::optional<std::string> upper) override;

    void Post(WindowMessage message);
    // Everything posted so far, oldest first.
    std::vector<WindowMessage> TakeAll();
    // Waits until a message is waiting or the time is up; true when one is waiting.
    bool WaitFor(std::chrono::milliseconds timeout);
    // Called after every post, from the posting thread (a window wakes its own thread here).
    void SetWakeHandler(std::function<void()> wake);

private:
    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<WindowMessage> m_messages;
    std::function<void()> m_wake;
};

}  // namespace zep
