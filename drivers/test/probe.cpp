// The library every test driver records its calls in, loaded once per process so that the tests
// read the calls of all driver copies in one place.
#include "drivers/test/probe.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::mutex g_mutex;
std::vector<std::string> g_events;
int g_next = 0;

}  // namespace

ZEP_PROBE_API void ZepProbeRecord(const char* event) {
    std::lock_guard lock(g_mutex);
    g_events.emplace_back(event);
}

ZEP_PROBE_API int ZepProbeCount(const char* event) {
    std::lock_guard lock(g_mutex);
    return static_cast<int>(std::count(g_events.begin(), g_events.end(), event));
}

ZEP_PROBE_API int ZepProbeEventCount() {
    std::lock_guard lock(g_mutex);
    return static_cast<int>(g_events.size());
}

ZEP_PROBE_API const char* ZepProbeEvent(int index) {
    std::lock_guard lock(g_mutex);
    if (index < 0 || index >= static_cast<int>(g_events.size())) {
        return nullptr;
    }
    return g_events[static_cast<std::size_t>(index)].c_str();
}

ZEP_PROBE_API int ZepProbeNext() {
    std::lock_guard lock(g_mutex);
    return g_next++;
}

ZEP_PROBE_API void ZepProbeReset() {
    std::lock_guard lock(g_mutex);
    g_events.clear();
    g_next = 0;
}
