#pragma once
// The workers' three messages to the main dialog: WM_USER+333 (bar 1) and WM_USER+335 (bar 2)
// with wParam = position and lParam = caption or 0, WM_USER+334 with wParam = line for the lower
// pane or 0 and lParam = line for the upper pane or 0. Texts are UTF-8. The receiver neither
// keeps nor frees a text it was handed; texts the relay posts are owned by the relay's store
// until the dialog has taken them, so nothing dangles and nothing leaks when a message is
// never delivered.
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "app/message_queue.h"

namespace zep::win32 {

inline constexpr UINT kBar1Message = WM_USER + 333;
inline constexpr UINT kLogMessage = WM_USER + 334;
inline constexpr UINT kBar2Message = WM_USER + 335;

// Texts handed over through posted messages, alive until their receiver releases them.
class OwnedTexts {
public:
    // The text's address for a message parameter.
    LPARAM Keep(std::string text);
    // Called by the receiver when it has used the text; a text the store does not own (a
    // sender's constant) is left alone.
    void Release(LPARAM text);
    std::size_t Held();

private:
    std::mutex m_mutex;
    std::unordered_map<LPARAM, std::unique_ptr<std::string>> m_texts;
};

// Turns what the controller's queue collects into the dialog's messages: bar and log messages
// into WM_USER+333/334/335, the request to go to the tray into a posted SC_MINIMIZE. Forward()
// runs on any thread (the posting worker's).
class WorkerRelay {
public:
    WorkerRelay(HWND dialog, OwnedTexts& texts) : m_dialog(dialog), m_texts(texts) {}
    void Forward(MessageQueue& queue);

private:
    void Post(UINT message, WPARAM wParam, LPARAM lParam);
    LPARAM Keep(const std::optional<std::string>& text);

    HWND m_dialog;
    OwnedTexts& m_texts;
};

// The text at a message parameter, or nullptr for 0.
inline const char* MessageText(LPARAM text) {
    return reinterpret_cast<const char*>(text);
}

}  // namespace zep::win32
