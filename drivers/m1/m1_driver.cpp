// Sample meter driver for the M1 heat meter (device type "M1"): renders the records of its
// archives as sections of a Velmora import file.
//   kind 0: totals at the time of reading: a reading, then total heat and total operating time
//   kind 1: hourly reading;  kind 2: daily reading;  any other kind: kept as hex
#include <cstdio>
#include <span>

#include "drivers/m1/reading_format.h"
#include "drivers/m1/record_call.h"
#include "sdk/vl_driver.h"

namespace {

constexpr std::size_t kTotalsSize = sample::kReadingSize + 8;

std::int32_t Render(std::ostream& out, int kind, std::span<const unsigned char> data) {
    const char* section = kind == 0 ? "TOTALS" : kind == 1 ? "HOUR" : kind == 2 ? "DAY" : nullptr;
    if (section == nullptr) {
        sample::WriteRaw(out, kind, data);
        return kVLRecordDone;
    }
    const std::size_t needed = kind == 0 ? kTotalsSize : sample::kReadingSize;
    if (data.size() < needed) {
        sample::WriteRaw(out, kind, data);
        return sample::kShortRecord;
    }
    out << "[" << section << "]\n";
    sample::WriteReadingFields(out, data.data());
    if (kind == 0) {
        out << "QTotal=" << sample::F32(data.data() + 28) << "\n"
            << "TnarTotal=" << sample::F32(data.data() + 32) << "\n";
    }
    out << "[" << section << "_END]\n";
    return data.size() > needed ? sample::kTrailingBytes : kVLRecordDone;
}

}  // namespace

VL_EXPORT int M1ConvertRecord(VLRecordBlock* block, int size) {
    return sample::ConvertBlock(block, size, Render);
}

VL_EXPORT const char* M1Describe() {
    return "M1 heat meter: totals, hourly and daily readings";
}

VL_EXPORT int VLInit(VLDriverDescriptor* descriptor, int size) {
    if (descriptor == nullptr || size < static_cast<int>(sizeof(VLDriverDescriptor))) {
        return 0;
    }
    std::snprintf(descriptor->name, sizeof descriptor->name, "M1");
    descriptor->versionMajor = 1;
    descriptor->versionMinor = 3;
    for (int i = 0; i < kVLEntryCount; ++i) {
        std::snprintf(descriptor->entries[i].exportName, kVLExportNameSize, "M1Reserved%d", i);
    }
    std::snprintf(descriptor->entries[0].exportName, kVLExportNameSize, "M1Describe");
    std::snprintf(descriptor->entries[kVLConvertEntry].exportName, kVLExportNameSize,
                  "M1ConvertRecord");
    return 1;
}
