#pragma once
// A session recording kept in memory, for tests that record a session and read it back.
#include <cstdint>
#include <vector>

#include "link/session_tape.h"

namespace zep::test {

class MemoryRecording final : public RecordingOutput {
public:
    void Take(std::vector<std::uint8_t> piece) override {
        bytes.insert(bytes.end(), piece.begin(), piece.end());
    }
    void Finish() override { finished = true; }

    std::vector<std::uint8_t> bytes;
    bool finished = false;
};

}  // namespace zep::test
