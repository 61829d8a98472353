#pragma once
// Finds a device prompt in the bytes the open port has received since the last tick. Match
// positions persist between calls, so a prompt split over two ticks is still found; the bytes
// after a found prompt stay unread for the worker.
#include <array>
#include <span>
#include <string_view>

#include "platform/serial_port.h"

namespace zep {

class PromptMatcher {
public:
    static constexpr int kSlots = 5;
    static constexpr int kNoPrompt = -1;
    // More prompts than slots: nothing is read (the caller shows "Слишком много сигнатур!").
    static constexpr int kTooManyPrompts = -2;

    // Bytes read in one call at most: a device that floods the line (noise, an endless line)
    // must not hold the poll, and with it the window and the exit, in this loop. An honest
    // line brings less than this in a second; the rest waits for the next call.
    static constexpr int kMaxBytesPerCall = 4096;

    // Reads the waiting bytes, at most kMaxBytesPerCall, up to the first completed prompt;
    // returns its slot or kNoPrompt.
    int Match(SerialPort& serial, int port, std::span<const std::string_view> prompts);

    int Position(int slot) const { return m_positions[slot]; }

private:
    std::array<int, kSlots> m_positions{};
};

// The prompts in slot order: Tessal, Kolvar, ZEP.
inline constexpr std::array<std::string_view, 3> kDevicePrompts = {"CL>", "KLV10>", "ZEP>"};

}  // namespace zep
