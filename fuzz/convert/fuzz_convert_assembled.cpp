// Assembled archive conversion with real drivers: the input is the whole ".bin" file. Printer
// archives go to the import folder as well.
#include <cstdint>
#include <span>

#include "convert/assembled_conversion.h"
#include "fuzz/convert/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static zep::fuzz::Harness harness;
    std::string label;
    zep::ConvertAssembledArchive(harness.WriteRaw("input.bin", std::span(data, size)),
                                 harness.ImportFolder(), harness.ImportFolder(), harness.Context(),
                                 label);
    harness.Clean();
    return 0;
}
