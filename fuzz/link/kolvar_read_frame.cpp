// Chunk frames of the Kolvar device, read one after another until the input runs out; a frame
// that passes must describe exactly the data it holds.
#include "fuzz/link/byte_feed_port.h"
#include "link/kolvar_archive.h"
#include "link/kolvar_routines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zep::fuzz::ByteFeedPort port({data, size});
    const zep::KolvarLine line{port, 1};
    zep::KolvarFrame frame;
    std::vector<std::uint8_t> record;
    while (!port.Exhausted()) {
        if (zep::KolvarReadFrame(line, frame) == zep::LineResult::Ok) {
            if (frame.length > zep::KolvarFrame::kMaxData)
                __builtin_trap();
            record.insert(record.end(), frame.Data().begin(), frame.Data().end());
        }
    }
    // Whatever arrived, shaped as a record, must build or be refused without harm.
    const auto archive = zep::BuildKolvarArchive(record);
    if (!archive.empty() && archive.size() != record.size() + 220)
        __builtin_trap();
    return 0;
}
