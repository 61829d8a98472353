// Spots a device's prompt in the bytes the open port received, even one split across ticks, so
// the poll knows which device has been plugged in.
#include "app/prompt_matcher.h"

namespace zep {

int PromptMatcher::Match(SerialPort& serial, int port, std::span<const std::string_view> prompts) {
    if (prompts.size() > static_cast<std::size_t>(kSlots)) {
        return kTooManyPrompts;
    }
    for (int count = 0; count < kMaxBytesPerCall; ++count) {
        const int received = serial.PortReadByte(port);
        if (received < 0) {
            break;
        }
        const auto byte = static_cast<unsigned char>(received);
        for (std::size_t slot = 0; slot < prompts.size(); ++slot) {
            const std::string_view prompt = prompts[slot];
            int& position = m_positions[slot];
            // A byte that breaks a partial match is not retried as the prompt's first byte.
            if (static_cast<std::size_t>(position) < prompt.size() &&
                byte == static_cast<unsigned char>(prompt[position])) {
                ++position;
                if (static_cast<std::size_t>(position) == prompt.size()) {
                    m_positions.fill(0);
                    return static_cast<int>(slot);
                }
            } else {
                position = 0;
            }
        }
    }
    return kNoPrompt;
}

}  // namespace zep
