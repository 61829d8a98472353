// Sample meter driver: renders the records of M1 heat meter archives as the sections of a
// Velmora import file. Built twice, for the type "M1" and for the Kolvar type.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <span>

#include "drivers/m1/m1_records.h"
#include "sdk/vl_driver.h"

// The Kolvar device reports its meters under the type "ЖУВ.Р-1", in Windows-1251.
#ifdef M1_KOLVAR_TYPE
#define M1_DRIVER_NAME "\xC6\xD3\xC2.\xD0-1"
#else
#define M1_DRIVER_NAME "M1"
#endif

namespace {

std::uint32_t U32(const unsigned char* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

std::uint16_t U16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

double F32(const unsigned char* p) {
    const std::uint32_t bits = U32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// "YYYY-MM-DD hh:mm:ss" of a meter time (seconds since 2000-01-01), by the civil calendar.
void WriteTime(std::ostream& out, std::uint32_t seconds) {
    const std::int64_t days = seconds / 86400 + 10957;  // days from 1970-01-01
    const std::uint32_t secondOfDay = seconds % 86400;
    const std::int64_t z = days + 719468;
    const std::int64_t era = z / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02u:%02u:%02u", year, month, day,
                  secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
    out << "Time=" << text << "\n";
}

void WriteRaw(std::ostream& out, int kind, std::span<const unsigned char> data) {
    static const char kHex[] = "0123456789ABCDEF";
    out << "[RECORD]\nKind=" << kind << "\nData=";
    for (const unsigned char byte : data) {
        out << kHex[byte >> 4] << kHex[byte & 15];
    }
    out << "\n[RECORD_END]\n";
}

void WriteCurrent(std::ostream& out, const unsigned char* p) {
    out << "[CURRENT]\n";
    WriteTime(out, U32(p));
    out << "Q=" << F32(p + 4) << "\n"
        << "V1=" << F32(p + 8) << "\n"
        << "V2=" << F32(p + 12) << "\n"
        << "T1=" << F32(p + 16) << "\n"
        << "T2=" << F32(p + 20) << "\n"
        << "Tnar=" << U32(p + 24) << "\n"
        << "Status=" << U16(p + 28) << "\n"
        << "[CURRENT_END]\n";
}

void WriteInterval(std::ostream& out, const char* section, const unsigned char* p) {
    out << "[" << section << "]\n";
    WriteTime(out, U32(p));
    out << "Q=" << F32(p + 4) << "\n"
        << "M1=" << F32(p + 8) << "\n"
        << "M2=" << F32(p + 12) << "\n"
        << "T1=" << F32(p + 16) << "\n"
        << "T2=" << F32(p + 20) << "\n"
        << "Tnar=" << U16(p + 24) << "\n"
        << "Errors=" << U16(p + 26) << "\n"
        << "[" << section << "_END]\n";
}

void WriteEvent(std::ostream& out, std::span<const unsigned char> data) {
    const auto text = data.subspan(m1::kEventHeadSize);
    const void* nul = std::memchr(text.data(), 0, text.size());
    const std::size_t length =
        nul != nullptr ? static_cast<const unsigned char*>(nul) - text.data() : text.size();
    out << "[EVENT]\n";
    WriteTime(out, U32(data.data()));
    out << "Code=" << U16(data.data() + 4) << "\n"
        << "Text=";
    out.write(reinterpret_cast<const char*>(text.data()), static_cast<std::streamsize>(length));
    out << "\n[EVENT_END]\n";
}

const char* IntervalSection(int kind) {
    switch (kind) {
        case m1::kHour:
            return "HOUR";
        case m1::kDay:
            return "DAY";
        case m1::kMonth:
            return "MONTH";
        default:
            return nullptr;
    }
}

// Renders one record; returns the block result.
std::int32_t Render(std::ostream& out, int kind, std::span<const unsigned char> data) {
    std::size_t needed = 0;
    if (kind == m1::kCurrent) {
        needed = m1::kCurrentSize;
    } else if (IntervalSection(kind) != nullptr) {
        needed = m1::kIntervalSize;
    } else if (kind == m1::kEvent) {
        needed = m1::kEventHeadSize;
    } else {
        // A kind this driver does not know is kept for the dispatcher as it is.
        WriteRaw(out, kind, data);
        return kVLRecordDone;
    }
    if (data.size() < needed) {
        WriteRaw(out, kind, data);
        return m1::kShortRecord;
    }
    if (kind == m1::kCurrent) {
        WriteCurrent(out, data.data());
    } else if (kind == m1::kEvent) {
        WriteEvent(out, data);
        return kVLRecordDone;
    } else {
        WriteInterval(out, IntervalSection(kind), data.data());
    }
    return data.size() > needed ? m1::kTrailingBytes : kVLRecordDone;
}

}  // namespace

VL_EXPORT int M1ConvertRecord(VLRecordBlock* block, int size) {
    if (block == nullptr || size < static_cast<int>(sizeof(VLRecordBlock)) ||
        block->out == nullptr || block->data == nullptr || block->length <= 0) {
        return 0;
    }
    block->result = Render(*block->out, block->kind,
                           std::span(block->data, static_cast<std::size_t>(block->length)));
    return kVLCallDone;
}

VL_EXPORT const char* M1Describe() {
    return "M1 heat meter: current, hour, day, month, events";
}

VL_EXPORT int VLInit(VLDriverDescriptor* descriptor, int size) {
    if (descriptor == nullptr || size < static_cast<int>(sizeof(VLDriverDescriptor))) {
        return 0;
    }
    std::snprintf(descriptor->name, sizeof descriptor->name, "%s", M1_DRIVER_NAME);
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
