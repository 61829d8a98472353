#pragma once
// The child's end of the channel that ChildProcess starts a program with. Taken once, first
// thing: afterwards the standard streams lead to the null device (what a driver prints goes
// nowhere, and a driver that closes them closes nothing of the channel), the signals that a
// terminal or a service manager sends to the whole group are ignored (the parent decides when
// the child ends), and the process ends as soon as the parent's end closes, even while a
// driver holds the main thread.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace zep {

class ParentChannel {
public:
    // nullopt when this process was not started with a channel.
    static std::optional<ParentChannel> Take();

    // Blocks until bytes arrive; 0 when the parent's end is closed (or the channel fails).
    std::size_t Read(std::span<std::uint8_t> into);
    // Writes all the bytes; false when the parent's end is gone.
    bool Write(std::span<const std::uint8_t> bytes);

private:
    explicit ParentChannel(std::intptr_t handle) : m_handle(handle) {}
    std::intptr_t m_handle;  // the descriptor or handle, owned for the life of the process
};

}  // namespace zep
