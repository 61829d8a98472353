#pragma once
// The benches' measure of memory: this process's own figures as the kernel counts them (Linux).
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

namespace zep::bench {

// A memory figure of this process in MB from /proc/self/status: "VmRSS:" now, "VmHWM:" the peak
// since the last reset; -1 where the system does not tell.
inline double StatusMegabytes(std::string_view key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) {
            return std::atof(line.c_str() + key.size()) / 1024.0;
        }
    }
    return -1;
}

// Resets the peak to the present, so that the next "VmHWM:" tells the peak of what follows.
inline void ResetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

}  // namespace zep::bench
