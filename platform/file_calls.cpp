// The process-wide gate before the file calls that put outputs on disk.
#include "platform/file_calls.h"

#include <atomic>

namespace zep {

namespace {
std::atomic<FileCallGate*> g_gate{nullptr};
}  // namespace

void SetFileCallGate(FileCallGate* gate) {
    g_gate.store(gate);
}

bool FileCallAllowed(FileCall call, const std::filesystem::path& path) {
    FileCallGate* gate = g_gate.load();
    return gate == nullptr || gate->Allow(call, path);
}

}  // namespace zep
