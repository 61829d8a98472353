// The store of posted texts and the relay from the controller's queue to the dialog's
// private messages.
#include "window/win32/worker_messages.h"

#include <variant>

namespace zep::win32 {

LPARAM OwnedTexts::Keep(std::string text) {
    auto owned = std::make_unique<std::string>(std::move(text));
    const auto address = reinterpret_cast<LPARAM>(owned->c_str());
    std::lock_guard guard(m_mutex);
    m_texts[address] = std::move(owned);
    return address;
}

void OwnedTexts::Release(LPARAM text) {
    if (text == 0) {
        return;
    }
    std::lock_guard guard(m_mutex);
    m_texts.erase(text);
}

std::size_t OwnedTexts::Held() {
    std::lock_guard guard(m_mutex);
    return m_texts.size();
}

LPARAM WorkerRelay::Keep(const std::optional<std::string>& text) {
    return text ? m_texts.Keep(*text) : 0;
}

void WorkerRelay::Post(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!PostMessageW(m_dialog, message, wParam, lParam)) {
        // Never to be delivered: the texts go back to nobody but the store.
        if (message == kLogMessage) {
            m_texts.Release(static_cast<LPARAM>(wParam));
        }
        m_texts.Release(lParam);
    }
}

void WorkerRelay::Forward(MessageQueue& queue) {
    for (const WindowMessage& message : queue.TakeAll()) {
        if (const auto* bar = std::get_if<BarMessage>(&message)) {
            Post(bar->bar == 1 ? kBar1Message : kBar2Message, static_cast<WPARAM>(bar->position),
                 Keep(bar->caption));
        } else if (const auto* log = std::get_if<LogMessage>(&message)) {
            const LPARAM lower = Keep(log->lower);
            Post(kLogMessage, static_cast<WPARAM>(lower), Keep(log->upper));
        } else {
            Post(WM_SYSCOMMAND, SC_MINIMIZE, 0);
        }
    }
}

}  // namespace zep::win32
