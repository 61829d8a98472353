// The window's message queue: workers post progress and log lines from any thread without ever
// waiting on the window, and the poll takes them in order.
#include "app/message_queue.h"

namespace zep {

void MessageQueue::SetBar1(int position, std::optional<std::string> caption) {
    Post(BarMessage{1, position, std::move(caption)});
}

void MessageQueue::SetBar2(int position, std::optional<std::string> caption) {
    Post(BarMessage{2, position, std::move(caption)});
}

void MessageQueue::AddLogLines(std::optional<std::string> lower, std::optional<std::string> upper) {
    Post(LogMessage{std::move(lower), std::move(upper)});
}

void MessageQueue::Post(WindowMessage message) {
    std::function<void()> wake;
    {
        std::lock_guard guard(m_mutex);
        m_messages.push_back(std::move(message));
        wake = m_wake;
    }
    m_posted.notify_all();
    if (wake) {
        wake();
    }
}

std::vector<WindowMessage> MessageQueue::TakeAll() {
    std::lock_guard guard(m_mutex);
    std::vector<WindowMessage> taken(std::make_move_iterator(m_messages.begin()),
                                     std::make_move_iterator(m_messages.end()));
    m_messages.clear();
    return taken;
}

bool MessageQueue::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock guard(m_mutex);
    return m_posted.wait_for(guard, timeout, [this] { return !m_messages.empty(); });
}

void MessageQueue::SetWakeHandler(std::function<void()> wake) {
    std::lock_guard guard(m_mutex);
    m_wake = std::move(wake);
}

}  // namespace zep
