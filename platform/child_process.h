#pragma once
// A helper program run as a child of this process (the driver host), talked to over one
// two-way channel, never over its standard streams, which lead nowhere. The child lives no
// longer than this process, however this one ends: on Windows a job object ends it when the
// last handle to the job closes; on POSIX systems the child watches its end of the channel and
// ends when this end closes (platform/parent_channel.h). Every wait on the child is bounded, so
// that a child that hangs never holds this process.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zep {

// What a read or write on the channel came to.
enum class ChannelState {
    Ready,     // bytes were moved
    Closed,    // the other end is gone: the child ended or closed its end
    TimedOut,  // nothing could be moved within the wait
};

struct ChannelRead {
    ChannelState state = ChannelState::Closed;
    std::size_t count = 0;  // bytes read, at least 1 when Ready
};

class ChildProcess {
public:
    // Starts the program with the arguments (after the program's own name). nullopt, with the
    // system's reason in reason, when it cannot be started.
    static std::optional<ChildProcess> Start(const std::filesystem::path& program,
                                             const std::vector<std::string>& arguments,
                                             std::string& reason);

    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // Ends the child if it still runs, and reaps it.
    ~ChildProcess();

    // Writes all the bytes, waiting at most `wait` in all.
    ChannelState Write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds wait);
    // Reads what has arrived, at most into.size() bytes, waiting at most `wait` for the first.
    ChannelRead Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait);
    // Waits at most `wait` for the child to end by itself; true when it has ended.
    bool WaitForExit(std::chrono::milliseconds wait);
    // Ends the child at once and reaps it.
    void Kill();

    // The backend's process and channel; defined by each backend.
    struct Parts;

private:
    explicit ChildProcess(std::unique_ptr<Parts> parts);
    std::unique_ptr<Parts> m_parts;
};

}  // namespace zep
