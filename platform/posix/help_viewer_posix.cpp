// Help without HTML Help: the desktop's default handler opens the help file at its start; it
// takes no topic.
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>

#include "platform/help_viewer.h"

extern char** environ;

namespace zep {

void ShowHelpTopic(void*, const std::filesystem::path& helpFile, std::string_view) {
    // The shell puts the handler in the background and ends at once, so the wait below is
    // short and no child is left behind unreaped; the handler itself belongs to init.
    std::string shell = "/bin/sh";
    std::string dashC = "-c";
    std::string script = "xdg-open \"$1\" >/dev/null 2>&1 </dev/null &";
    std::string name = "zepimport-open";
    std::string argument = helpFile.string();
    char* argv[] = {shell.data(), dashC.data(),    script.data(),
                    name.data(),  argument.data(), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, "/bin/sh", nullptr, nullptr, argv, environ) != 0) {
        return;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace zep
