// Sample meter driver for the meters the Kolvar device reads (device type "ЖУВ.Р-1", in
// Windows-1251): renders the three parts of a Kolvar record as sections of a Velmora import
// file.
//   kind 0: 24 current values (32-bit floats);  kind 1: 8 settings words (32-bit)
//   kind 2: hourly readings, one after another;  any other kind: kept as hex
#include <cstdio>
#include <span>

#include "drivers/m1/reading_format.h"
#include "drivers/m1/record_call.h"
#include "sdk/vl_driver.h"

namespace {

constexpr std::size_t kValueCount = 24;
constexpr std::size_t kSettingCount = 8;

std::int32_t RenderList(std::ostream& out, int kind, std::span<const unsigned char> data,
                        const char* section, const char* prefix, std::size_t count, bool floats) {
    if (data.size() < count * 4) {
        sample::WriteRaw(out, kind, data);
        return sample::kShortRecord;
    }
    out << "[" << section << "]\n";
    for (std::size_t i = 0; i < count; ++i) {
        out << prefix << i + 1 << "=";
        if (floats) {
            out << sample::F32(data.data() + 4 * i);
        } else {
            out << sample::U32(data.data() + 4 * i);
        }
        out << "\n";
    }
    out << "[" << section << "_END]\n";
    return data.size() > count * 4 ? sample::kTrailingBytes : kVLRecordDone;
}

std::int32_t RenderHours(std::ostream& out, std::span<const unsigned char> data) {
    std::size_t at = 0;
    for (; data.size() - at >= sample::kReadingSize; at += sample::kReadingSize) {
        out << "[HOUR]\n";
        sample::WriteReadingFields(out, data.data() + at);
        out << "[HOUR_END]\n";
    }
    return at == data.size() ? kVLRecordDone : sample::kTrailingBytes;
}

std::int32_t Render(std::ostream& out, int kind, std::span<const unsigned char> data) {
    switch (kind) {
        case 0:
            return RenderList(out, kind, data, "VALUES", "P", kValueCount, true);
        case 1:
            return RenderList(out, kind, data, "SETTINGS", "W", kSettingCount, false);
        case 2:
            return RenderHours(out, data);
        default:
            sample::WriteRaw(out, kind, data);
            return kVLRecordDone;
    }
}

}  // namespace

VL_EXPORT int KolvarConvertRecord(VLRecordBlock* block, int size) {
    return sample::ConvertBlock(block, size, Render);
}

VL_EXPORT int VLInit(VLDriverDescriptor* descriptor, int size) {
    if (descriptor == nullptr || size < static_cast<int>(sizeof(VLDriverDescriptor))) {
        return 0;
    }
    std::snprintf(descriptor->name, sizeof descriptor->name, "\xC6\xD3\xC2.\xD0-1");
    descriptor->versionMajor = 1;
    descriptor->versionMinor = 0;
    std::snprintf(descriptor->entries[kVLConvertEntry].exportName, kVLExportNameSize,
                  "KolvarConvertRecord");
    return 1;
}
