// The child's end of the channel on its fixed descriptor, with a watch thread that ends the
// process when the parent's end closes.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/parent_channel.h"
#include "platform/posix/child_channel.h"

namespace zep {

namespace {

constexpr int kChannel = posix::kChildChannelDescriptor;

void PointStandardStreamsNowhere() {
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null < 0) {
        return;
    }
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        dup2(null, fd);
    }
    close(null);
}

// A terminal's Ctrl+C and a service manager's stop reach every process of the group; the
// parent finishes the file in hand and then ends this one by closing the channel.
void IgnoreGroupSignals() {
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
        sigaction(signal, &action, nullptr);
    }
}

// Waits, outside every driver call, for the parent's end to close (or the descriptor to go,
// closed by a driver): then nothing can reach the parent any more, and the process ends.
void WatchParent() {
    pollfd entry{kChannel, 0, 0};
    while (poll(&entry, 1, -1) < 0 && errno == EINTR) {
    }
    _exit(0);
}

}  // namespace

std::optional<ParentChannel> ParentChannel::Take() {
    int type = 0;
    socklen_t length = sizeof type;
    if (getsockopt(kChannel, SOL_SOCKET, SO_TYPE, &type, &length) != 0 || type != SOCK_STREAM) {
        return std::nullopt;
    }
    // Programs a driver starts must not hold the channel open after this process.
    fcntl(kChannel, F_SETFD, FD_CLOEXEC);
    PointStandardStreamsNowhere();
    IgnoreGroupSignals();
    std::thread(WatchParent).detach();
    return ParentChannel(kChannel);
}

std::size_t ParentChannel::Read(std::span<std::uint8_t> into) {
    for (;;) {
        const ssize_t got = recv(static_cast<int>(m_handle), into.data(), into.size(), 0);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            return 0;
        }
    }
}

bool ParentChannel::Write(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t sent =
            send(static_cast<int>(m_handle), bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(sent));
        } else if (sent < 0 && errno != EINTR) {
            return false;
        }
    }
    return true;
}

}  // namespace zep
