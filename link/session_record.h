#pragma once
// The session recording (docs/recordings.md): a header, then records of what passed between
// the program and a device during one exchange, each stamped with the milliseconds since the
// session began. The writer appends to memory; the reader takes a whole file and checks every
// length and count against what the file holds, so a damaged recording is an error, never a
// read outside it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zep {

inline constexpr char kRecordingMagic[6] = {'Z', 'E', 'P', 'R', 'E', 'C'};
inline constexpr std::uint16_t kRecordingVersion = 1;
inline constexpr std::size_t kRecordingHeaderSize = 24;

enum class RecordedDevice : std::uint8_t { Zep = 1, Tessal = 2, Kolvar = 3 };

struct RecordingHeader {
    RecordedDevice device = RecordedDevice::Zep;
    bool deleteData = false;
    int port = 0;               // COM port number
    int hoursWest = 0;          // the program's time base: hours west of UTC
    std::int64_t startUtc = 0;  // wall clock at the session's start, seconds since 1970 (UTC)
};

enum class RecordKind : std::uint8_t {
    DeviceBytes = 1,  // bytes the program read from the device, in order
    ReadMisses = 2,   // reads that found no byte in time: a count
    HostBytes = 3,    // bytes the program asked to send
    Call = 4,         // any other port call: operation, arguments, results
    ClockRead = 5,    // the wall clock as the exchange read it (UTC seconds)
    LogLine = 6,      // a log line of the exchange: pane and UTF-8 text
    RawFile = 7,      // a raw file the exchange published: name, size, check word
    End = 8,          // the exchange returned
    Stop = 9,         // the program asked to end; the exchange sees it from the call before on
    Tick = 10,        // the monotonic clock as the exchange read it (ms since the start)
    PassedOver = 11,  // a unit the import history passed over, not saved: size, check word
};

// The port calls of a Call record. Each has a fixed count of arguments and results (see
// PortOpShape); the port number is the header's and is not repeated.
enum class PortOp : std::uint8_t {
    Open = 1,
    Close = 2,
    SetLineParams = 3,    // rate code, mode code -> result
    SetFlowControl = 4,   // mode -> result
    GetSpeed = 5,         // -> speed
    SetSpeed = 6,         // speed -> result
    GetReadTimeouts = 7,  // -> result, total, interval
    SetReadTimeouts = 8,  // total, interval -> result
    Flush = 9,            // which -> result
    OutputPending = 10,   // -> count
    LineStatus = 11,      // -> status
    Gone = 12,            // -> 1 gone, 0 not
    WriteResult = 13,     // -> what the write just recorded returned, when not all was sent
};

struct PortOpShape {
    int arguments = 0;
    int results = 0;
    const char* name = "";
};

// nullopt for a byte that names no operation.
std::optional<PortOpShape> ShapeOf(PortOp op);

struct Record {
    RecordKind kind = RecordKind::End;
    std::int64_t timeMs = 0;  // since the session's start
    std::size_t offset = 0;   // of the record's first byte in the file
    // DeviceBytes, HostBytes: the bytes; LogLine: the text; RawFile: the file name.
    std::vector<std::uint8_t> bytes;
    PortOp op{};                       // Call
    std::vector<std::int64_t> values;  // Call: the arguments, then the results
    // ReadMisses: the count; ClockRead: UTC seconds; LogLine: 0 upper pane, 1 lower;
    // RawFile, PassedOver: the size in bytes; Tick: milliseconds since the session's start.
    std::int64_t number = 0;
    std::uint16_t check = 0;  // RawFile, PassedOver: Crc16 of the content
};

// The header as it is stored.
std::vector<std::uint8_t> EncodeRecordingHeader(const RecordingHeader& header);

// Appends records to memory; the owner takes the bytes away in pieces.
class RecordWriter {
public:
    void Add(const Record& record);
    std::size_t Size() const { return m_bytes.size(); }
    std::vector<std::uint8_t> TakeBytes();

private:
    std::vector<std::uint8_t> m_bytes;
    std::int64_t m_lastMs = 0;
};

struct RecordingDamage {
    std::size_t offset = 0;  // where reading stopped
    std::string reason;
};

struct ParsedRecording {
    std::optional<RecordingHeader> header;  // nullopt: not a recording of a version known here
    std::vector<Record> records;            // every record read before any damage
    std::optional<RecordingDamage> damage;  // nullopt: read to its end record and no further
};

// True when the bytes begin with the recording's mark (of any version).
bool LooksLikeRecording(std::span<const std::uint8_t> bytes);

ParsedRecording ParseRecording(std::span<const std::uint8_t> bytes);

}  // namespace zep
