// The words for a session recording's device, start, steps and times, shared by --inspect and
// --replay.
#include "app/recording_text.h"

#include <chrono>
#include <cstdio>

#include "app/inspect_kinds.h"
#include "app/visible_text.h"

namespace zep {

namespace {

constexpr std::int64_t kSecondsPerHour = 3600;

// A moment in a zone of whole hours, without the process's zone: the recording carries its own.
std::string CivilTime(std::int64_t utcSeconds, int hoursWest) {
    using namespace std::chrono;
    const sys_seconds moment{seconds{utcSeconds - hoursWest * kSecondsPerHour}};
    const auto day = floor<days>(moment);
    const year_month_day date{day};
    const hh_mm_ss time{moment - day};
    char text[48];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d %02u.%02u.%04d",
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()), static_cast<unsigned>(date.day()),
                  static_cast<unsigned>(date.month()), static_cast<int>(date.year()));
    return text;
}

std::string ZoneText(int hoursWest) {
    if (hoursWest == 0) {
        return "UTC";
    }
    return std::string("UTC") + (hoursWest < 0 ? "+" : "-") +
           std::to_string(hoursWest < 0 ? -hoursWest : hoursWest);
}

}  // namespace

namespace {

struct DeviceWords {
    const char* word;
    const char* name;
};

DeviceWords WordsFor(RecordedDevice device) {
    static constexpr DeviceWords kWords[] = {
        {"zep", "ZEP adapter"}, {"tessal", "Tessal collector"}, {"kolvar", "Kolvar device"}};
    const auto index = static_cast<std::size_t>(device) - 1;
    return index < std::size(kWords) ? kWords[index] : DeviceWords{"device", "device"};
}

}  // namespace

const char* DeviceWord(RecordedDevice device) {
    return WordsFor(device).word;
}

std::string DeviceName(RecordedDevice device) {
    return WordsFor(device).name;
}

std::string SessionStartText(const RecordingHeader& header) {
    return CivilTime(header.startUtc, header.hoursWest) + " (program time, " +
           ZoneText(header.hoursWest) + ")";
}

std::string StepText(const ReplayStep& step) {
    const std::string bytes(step.bytes.begin(), step.bytes.end());
    switch (step.kind) {
        case RecordKind::HostBytes:
            return "write \"" + Printable(bytes) + "\"";
        case RecordKind::DeviceBytes:
        case RecordKind::ReadMisses:
            return "read";
        case RecordKind::Call: {
            const auto shape = ShapeOf(step.op);
            std::string text = std::string(shape ? shape->name : "call") + "(";
            for (std::size_t i = 0; i < step.values.size(); ++i) {
                text += (i == 0 ? "" : ", ") + std::to_string(step.values[i]);
            }
            return text + ")";
        }
        case RecordKind::RawFile:
        case RecordKind::PassedOver: {
            char check[8];
            std::snprintf(check, sizeof check, "%04X",
                          static_cast<unsigned>(step.values.size() > 1 ? step.values[1] : 0));
            return (step.kind == RecordKind::RawFile
                        ? "raw file " + ShowControlCharacters(bytes)
                        : std::string("passed over as imported before")) +
                   ", " + std::to_string(step.values.empty() ? 0 : step.values[0]) +
                   " bytes, check word 0x" + check;
        }
        case RecordKind::Stop:
            return "the request to end";
        default:
            return "the end of the exchange";
    }
}

std::string SecondsText(std::int64_t milliseconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%03lld s", static_cast<long long>(milliseconds / 1000),
                  static_cast<long long>(milliseconds % 1000));
    return text;
}

}  // namespace zep
