// A session recording as --inspect and --replay read it: the reader must check every length and
// count; a recording it accepts is played back by a program that follows it record by record,
// so the replay's own steps run on whatever the reader lets through.
#include <algorithm>
#include <string>

#include "link/session_record.h"
#include "link/session_replay.h"

namespace {

constexpr std::int64_t kMostMisses = 4096;  // enough to walk a recording, bounded for speed

void Call(zep::SerialPort& port, const zep::Record& record) {
    const auto& v = record.values;
    std::uint32_t total = 0;
    std::uint32_t interval = 0;
    switch (record.op) {
        case zep::PortOp::Open:
            port.PortOpen(1);
            break;
        case zep::PortOp::Close:
            port.PortClose(1);
            break;
        case zep::PortOp::SetLineParams:
            port.PortSetLineParams(1, static_cast<int>(v[0]), static_cast<int>(v[1]));
            break;
        case zep::PortOp::SetFlowControl:
            port.PortSetFlowControl(1, static_cast<int>(v[0]));
            break;
        case zep::PortOp::GetSpeed:
            port.PortGetSpeed(1);
            break;
        case zep::PortOp::SetSpeed:
            port.PortSetSpeed(1, static_cast<int>(v[0]));
            break;
        case zep::PortOp::GetReadTimeouts:
            port.PortGetReadTimeouts(1, total, interval);
            break;
        case zep::PortOp::SetReadTimeouts:
            port.PortSetReadTimeouts(1, static_cast<std::uint32_t>(v[0]),
                                     static_cast<std::uint32_t>(v[1]));
            break;
        case zep::PortOp::Flush:
            port.PortFlush(1, static_cast<int>(v[0]));
            break;
        case zep::PortOp::OutputPending:
            port.PortOutputPending(1);
            break;
        case zep::PortOp::LineStatus:
            port.PortLineStatus(1);
            break;
        case zep::PortOp::Gone:
            port.PortGone(1);
            break;
        case zep::PortOp::WriteResult:
            break;  // taken by the write before it
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const zep::ParsedRecording recording = zep::ParseRecording({data, size});
    if (recording.damage) {
        if (recording.damage->offset > size || recording.damage->reason.empty()) {
            __builtin_trap();  // damage is always located inside the file and named
        }
        return 0;
    }
    zep::SessionReplay replay(recording, 0);
    zep::SerialPort& port = replay.Port();
    for (const auto& record : recording.records) {
        switch (record.kind) {
            case zep::RecordKind::DeviceBytes:
                for (std::size_t i = 0; i < record.bytes.size(); ++i) {
                    port.PortReadByte(1);
                }
                break;
            case zep::RecordKind::ReadMisses:
                for (std::int64_t i = 0; i < std::min(record.number, kMostMisses); ++i) {
                    port.PortReadByte(1);
                }
                break;
            case zep::RecordKind::HostBytes:
                port.PortWrite(1, record.bytes);
                break;
            case zep::RecordKind::Call:
                Call(port, record);
                break;
            case zep::RecordKind::ClockRead:
                replay.SessionClock().Now();
                break;
            case zep::RecordKind::Tick:
                replay.SessionClock().TickMs();
                break;
            case zep::RecordKind::RawFile:
                replay.Files().Published(std::string(record.bytes.begin(), record.bytes.end()),
                                         record.bytes);
                break;
            case zep::RecordKind::PassedOver:
                replay.PassedOverNext(static_cast<std::uint64_t>(record.number));
                break;
            case zep::RecordKind::LogLine:
            case zep::RecordKind::Stop:  // made by the port call before it
            case zep::RecordKind::End:
                break;
        }
    }
    replay.Finish();
    return 0;
}
