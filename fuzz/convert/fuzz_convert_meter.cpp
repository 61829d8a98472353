// Meter archive conversion with real drivers. The first byte chooses how the rest is used:
//   low two bits 0, 1, 2: a valid header of type "NULL", "M1" or the Kolvar type is put in
//   front of the rest, and with bit 2 set every record's 'T' and check word are made valid, so
//   that the drivers see arbitrary record data; 3: the rest is the whole file as it is.
#include <cstdint>
#include <vector>

#include "convert/meter_conversion.h"
#include "core/crc16.h"
#include "fuzz/convert/fuzz_harness.h"

namespace {

std::vector<std::uint8_t> WithHeader(const std::string& type, const std::uint8_t* data,
                                     std::size_t size, bool fixRecords) {
    const std::string text = "Type=" + type + "\nSerial=1\nVirtual=2\nVname=x\n";
    std::vector<std::uint8_t> file = {'t', 'e', 's', 's', 0, 0};
    const std::size_t n = text.size() + 3;
    file.push_back(static_cast<std::uint8_t>(n));
    file.push_back(static_cast<std::uint8_t>(n >> 8));
    file.insert(file.end(), text.begin(), text.end());
    file.push_back(0);
    const std::uint16_t check = zep::Crc16(file.data() + 8, n - 2);
    file.push_back(static_cast<std::uint8_t>(check));
    file.push_back(static_cast<std::uint8_t>(check >> 8));
    const std::size_t recordsAt = file.size();
    file.insert(file.end(), data, data + size);
    for (std::size_t p = recordsAt; fixRecords && p + 2 <= file.size();) {
        const std::size_t length = zep::ReadLe16(file.data() + p);
        if (length < 4 || p + 2 + length > file.size()) {
            break;
        }
        file[p + 2] = 'T';
        const std::uint16_t recordCheck = zep::Crc16(file.data() + p + 2, length - 2);
        file[p + length] = static_cast<std::uint8_t>(recordCheck);
        file[p + length + 1] = static_cast<std::uint8_t>(recordCheck >> 8);
        p += 2 + length;
    }
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static zep::fuzz::Harness harness;
    if (size == 0) {
        return 0;
    }
    static const std::string kTypes[] = {"NULL", "M1", "\xC6\xD3\xC2.\xD0-1"};
    const int mode = data[0] & 3;
    const std::vector<std::uint8_t> file =
        mode == 3 ? std::vector<std::uint8_t>(data + 1, data + size)
                  : WithHeader(kTypes[mode], data + 1, size - 1, (data[0] & 4) != 0);
    std::string label;
    zep::ConvertMeterArchive(harness.WriteRaw("input.bia", file), harness.ImportFolder(),
                             harness.Context(), label);
    harness.Clean();
    return 0;
}
