// Child processes by posix_spawn: one socket pair as the channel, the child's end on a fixed
// descriptor, its standard streams on /dev/null, every wait a poll with a time-out.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/child_process.h"
#include "platform/posix/child_channel.h"

extern char** environ;

namespace zep {

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kChannelBuffer = 4 << 20;

int MsLeft(SteadyClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now())
            .count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

// Waits for the events on the descriptor until the deadline; false on time-out.
bool PollUntil(int fd, short events, SteadyClock::time_point deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int result = poll(&entry, 1, MsLeft(deadline));
        if (result > 0) {
            return true;
        }
        if (result == 0 || errno != EINTR) {
            return false;
        }
    }
}

void CloseDescriptor(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

// Everything posix_spawn needs, released on every path.
class SpawnSetup {
public:
    explicit SpawnSetup(int childEnd) {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
        posix_spawn_file_actions_adddup2(&actions, childEnd, posix::kChildChannelDescriptor);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        // Nothing of this process but the channel: a descriptor a library forgot to mark
        // close-on-exec would keep its file (or a lock on it) alive in the child.
        posix_spawn_file_actions_addclosefrom_np(&actions, posix::kChildChannelDescriptor + 1);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
};

}  // namespace

struct ChildProcess::Parts {
    pid_t pid = -1;
    int channel = -1;

    ~Parts() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            Reap();
        }
        CloseDescriptor(channel);
    }
    void Reap() {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        pid = -1;
    }
};

ChildProcess::ChildProcess(std::unique_ptr<Parts> parts) : m_parts(std::move(parts)) {}
ChildProcess::ChildProcess(ChildProcess&& other) noexcept = default;
ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept = default;
ChildProcess::~ChildProcess() = default;

std::optional<ChildProcess> ChildProcess::Start(const std::filesystem::path& program,
                                                const std::vector<std::string>& arguments,
                                                std::string& reason) {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        reason = std::strerror(errno);
        return std::nullopt;
    }
    // A whole import text in flight at once (as far as the system allows): fewer turns
    // between the two processes for each file.
    for (int end : pair) {
        for (int option : {SO_SNDBUF, SO_RCVBUF}) {
            const int size = kChannelBuffer;
            setsockopt(end, SOL_SOCKET, option, &size, sizeof size);
        }
    }
    auto parts = std::make_unique<Parts>();
    parts->channel = pair[0];
    // Above the descriptors the child's set-up writes to, so that no step overwrites another.
    int childEnd = fcntl(pair[1], F_DUPFD_CLOEXEC, posix::kChildChannelDescriptor + 1);
    close(pair[1]);
    if (childEnd < 0) {
        reason = std::strerror(errno);
        return std::nullopt;
    }
    std::vector<std::string> line{program.filename().string()};
    line.insert(line.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& argument : line) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    int result = 0;
    {
        SpawnSetup setup(childEnd);
        result = posix_spawn(&parts->pid, program.c_str(), &setup.actions, &setup.attributes,
                             argv.data(), environ);
    }
    CloseDescriptor(childEnd);
    if (result != 0) {
        parts->pid = -1;
        reason = std::strerror(result);
        return std::nullopt;
    }
    // Bounded writes: a child that stops reading must not hold this process.
    fcntl(parts->channel, F_SETFL, fcntl(parts->channel, F_GETFL) | O_NONBLOCK);
    return ChildProcess(std::move(parts));
}

ChannelState ChildProcess::Write(std::span<const std::uint8_t> bytes,
                                 std::chrono::milliseconds wait) {
    const auto deadline = SteadyClock::now() + wait;
    while (!bytes.empty()) {
        const ssize_t sent = send(m_parts->channel, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!PollUntil(m_parts->channel, POLLOUT, deadline)) {
                return ChannelState::TimedOut;
            }
            continue;
        }
        return ChannelState::Closed;
    }
    return ChannelState::Ready;
}

ChannelRead ChildProcess::Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) {
    const auto deadline = SteadyClock::now() + wait;
    for (;;) {
        // Waiting first: a reply is seldom there already, and a read would only say so.
        if (!PollUntil(m_parts->channel, POLLIN, deadline)) {
            return {ChannelState::TimedOut, 0};
        }
        const ssize_t got = recv(m_parts->channel, into.data(), into.size(), 0);
        if (got > 0) {
            return {ChannelState::Ready, static_cast<std::size_t>(got)};
        }
        if (got == 0) {
            return {ChannelState::Closed, 0};
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return {ChannelState::Closed, 0};
        }
    }
}

bool ChildProcess::WaitForExit(std::chrono::milliseconds wait) {
    if (m_parts->pid <= 0) {
        return true;
    }
    // There is no waitpid with a time-out; the child is asked every few milliseconds, which
    // only happens while the program closes.
    const auto deadline = SteadyClock::now() + wait;
    for (;;) {
        const pid_t done = waitpid(m_parts->pid, nullptr, WNOHANG);
        if (done == m_parts->pid || (done < 0 && errno != EINTR)) {
            m_parts->pid = -1;
            return true;
        }
        if (SteadyClock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void ChildProcess::Kill() {
    if (m_parts->pid > 0) {
        kill(m_parts->pid, SIGKILL);
        m_parts->Reap();
    }
}

}  // namespace zep
