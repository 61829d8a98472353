// ZEP header lines followed by data blocks, as the exchange reads them: the header decides how
// many bytes the block has, within a bound here as in the exchange.
#include <string>
#include <vector>

#include "fuzz/link/byte_feed_port.h"
#include "link/zep_routines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zep::fuzz::ByteFeedPort port({data, size});
    zep::fuzz::SilentReport report;
    while (!port.Exhausted()) {
        std::string name;
        std::int64_t length = 0;
        if (zep::ZepReadFileHeader(port, 1, name, length) != zep::LineResult::Ok) {
            zep::ZepWaitOkError(port, 1);
            continue;
        }
        if (name.size() > 62)
            __builtin_trap();  // the line holds 63 characters at most
        if (length < 0 || length > 4096)
            continue;
        std::vector<std::uint8_t> block(static_cast<std::size_t>(length));
        zep::ZepReadBlock(port, 1, block, report);
    }
    return 0;
}
