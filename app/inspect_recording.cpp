// The inspection of a session recording: which device and when, what passed on the line, the
// raw files and log lines of the session, and where the recording ends or is damaged.
#include <algorithm>
#include <type_traits>

#include "app/inspect_kinds.h"
#include "app/recording_text.h"
#include "app/visible_text.h"
#include "link/session_record.h"

namespace zep {

namespace {

// The traffic of the whole session, summed.
struct Traffic {
    std::int64_t deviceBytes = 0;
    std::int64_t hostBytes = 0;
    std::int64_t misses = 0;
    std::vector<std::int64_t> speeds;
    std::vector<std::string> timeouts;
};

Traffic Sum(const std::vector<Record>& records) {
    Traffic traffic;
    for (const auto& record : records) {
        const auto size = static_cast<std::int64_t>(record.bytes.size());
        if (record.kind == RecordKind::DeviceBytes) {
            traffic.deviceBytes += size;
        } else if (record.kind == RecordKind::HostBytes) {
            traffic.hostBytes += size;
        } else if (record.kind == RecordKind::ReadMisses) {
            traffic.misses += record.number;
        } else if (record.kind == RecordKind::Call && record.op == PortOp::SetSpeed) {
            traffic.speeds.push_back(record.values.front());
        } else if (record.kind == RecordKind::Call && record.op == PortOp::SetReadTimeouts) {
            traffic.timeouts.push_back("(" + std::to_string(record.values[0]) + ", " +
                                       std::to_string(record.values[1]) + ")");
        }
    }
    return traffic;
}

template <typename T>
std::string Listed(const std::vector<T>& items) {
    std::string text;
    for (const auto& item : items) {
        if (!text.empty()) {
            text += ", ";
        }
        if constexpr (std::is_same_v<T, std::string>) {
            text += item;
        } else {
            text += std::to_string(item);
        }
    }
    return text.empty() ? "none" : text;
}

// The last thing the program asked for and the last bytes the device sent: where a session
// that failed half-way lost its device.
void DescribeLastSteps(const std::vector<Record>& records, std::ostream& out) {
    const auto lastOf = [&](RecordKind kind) {
        const auto found = std::find_if(records.rbegin(), records.rend(),
                                        [kind](const Record& r) { return r.kind == kind; });
        return found == records.rend() ? nullptr : &*found;
    };
    if (const Record* host = lastOf(RecordKind::HostBytes)) {
        ReplayStep step;
        step.kind = RecordKind::HostBytes;
        step.bytes = host->bytes;
        out << "  last sent by the program at " << SecondsText(host->timeMs) << ": "
            << StepText(step) << "\n";
    }
    if (const Record* device = lastOf(RecordKind::DeviceBytes)) {
        out << "  last received from the device at " << SecondsText(device->timeMs) << ": "
            << HexPreview(device->bytes) << "\n";
    }
}

void DescribeRecords(const std::vector<Record>& records, std::ostream& out) {
    const Traffic traffic = Sum(records);
    const std::int64_t lasted = records.empty() ? 0 : records.back().timeMs;
    out << "  lasted " << SecondsText(lasted) << ": the device sent " << traffic.deviceBytes
        << " bytes, the program " << traffic.hostBytes << "; " << traffic.misses
        << " reads found nothing in time\n"
        << "  line speeds set: " << Listed(traffic.speeds)
        << "; read time-outs set: " << Listed(traffic.timeouts) << "\n";
    for (const auto& record : records) {
        const std::string text(record.bytes.begin(), record.bytes.end());
        if (record.kind == RecordKind::RawFile || record.kind == RecordKind::PassedOver) {
            ReplayStep step;
            step.kind = record.kind;
            step.bytes = record.bytes;
            step.values = {record.number, record.check};
            out << "  " << StepText(step) << "\n";
        } else if (record.kind == RecordKind::Stop) {
            out << "  the program asked to end at " << SecondsText(record.timeMs) << "\n";
        } else if (record.kind == RecordKind::LogLine) {
            out << "  log" << (record.number == 1 ? " (lower pane)" : "") << ": "
                << ShowControlCharacters(text) << "\n";
        }
    }
    DescribeLastSteps(records, out);
}

bool Recognizes(const std::filesystem::path&, std::span<const std::uint8_t> content) {
    return LooksLikeRecording(content);
}

bool Inspect(const std::filesystem::path&, std::span<const std::uint8_t> content,
             std::ostream& out) {
    const ParsedRecording recording = ParseRecording(content);
    if (recording.header) {
        const RecordingHeader& header = *recording.header;
        out << "  format version " << kRecordingVersion << ", " << DeviceName(header.device)
            << " on COM" << header.port
            << (header.deleteData ? ", deleting what was saved" : ", keeping the data") << "\n"
            << "  started " << SessionStartText(header) << "\n";
        DescribeRecords(recording.records, out);
    }
    if (recording.damage) {
        out << "  damaged at offset " << recording.damage->offset << " after "
            << recording.records.size() << " record(s): " << recording.damage->reason << "\n";
        return false;
    }
    out << "  ends at offset " << content.size() << " after " << recording.records.size()
        << " record(s): the end of the exchange\n";
    return true;
}

}  // namespace

FileInspector RecordingInspector() {
    return {"session recording", &Recognizes, &Inspect};
}

}  // namespace zep
