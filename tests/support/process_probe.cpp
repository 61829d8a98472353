// Processes by id: /proc and kill on Linux, OpenProcess on Windows.
#include "tests/support/process_probe.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <signal.h>

#include <string>

#include "tests/support/temp_dir.h"
#endif

namespace zep::test {

#if defined(_WIN32)

bool ProcessRunning(int pid) {
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) {
        return false;
    }
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

void EndProcess(int pid) {
    const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid));
    if (process != nullptr) {
        TerminateProcess(process, 1);
        CloseHandle(process);
    }
}

#else

bool ProcessRunning(int pid) {
    const std::string stat = ReadFileText("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t close = stat.rfind(')');
    return close != std::string::npos && stat.compare(close, 3, ") Z") != 0;
}

void EndProcess(int pid) {
    kill(pid, SIGKILL);
}

#endif

}  // namespace zep::test
