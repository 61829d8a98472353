// The Tessal volume frame reader over arbitrary line noise: the data it hands out must lie
// inside its reply buffer.
#include "fuzz/link/byte_feed_port.h"
#include "link/tessal_routines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zep::fuzz::ByteFeedPort port({data, size});
    zep::fuzz::FreeClock clock;
    zep::fuzz::SilentReport report;
    zep::TessalLine line(port, 1, clock, report);
    while (!port.Exhausted()) {
        if (zep::TessalReadVolume(line, "download volume 0 0\r\n", 0, 100) == zep::LineResult::Ok) {
            const auto volume = line.VolumeData();
            if (volume.size() > zep::TessalLine::kReplySize - 4)
                __builtin_trap();
            volatile std::uint8_t sink = 0;
            for (auto byte : volume) sink = sink ^ byte;  // every byte readable
        }
    }
    return 0;
}
