#pragma once
// The exchange between the program and its driver host process. A frame is a type byte, a
// length of 32 bits (least significant byte first) and that many bytes of fields, written one
// after another: numbers least significant byte first, texts as a 32-bit length and the bytes.
// The host runs other people's code: everything read from it is checked, and a frame longer
// than kMaxHostFrame, of a type not expected, or whose fields do not add up exactly, is a
// broken exchange, never a crash or an allocation beyond the limit.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sdk/vl_driver.h"

namespace zep {

enum class HostMessage : std::uint8_t {
    // The program to the host.
    Load = 1,              // the driver libraries to load, in order
    MeterArchive = 2,      // read a meter archive and convert its records
    AssembledRecords = 3,  // convert the records of an assembled archive for one device
    Exit = 4,              // unload the drivers (VLExit) and end
    // The host to the program.
    Hello = 16,     // the host runs and speaks this version of the exchange
    Calling = 17,   // about to call into the library of this index (while loading)
    Loaded = 18,    // the drivers taken: library index and name of each
    Log = 19,       // log lines of the conversion, for the panes
    Progress = 20,  // progress of the conversion in percent
    Rendered = 21,  // the run is over: how it ended, and the text
};

inline constexpr std::uint32_t kHostProtocolVersion = 1;
inline constexpr std::size_t kHostFrameHeader = 5;
// The longest frame: a whole output text and what comes with it.
inline constexpr std::uint32_t kMaxHostFrame = kVLOutputLimit + (std::uint32_t{1} << 20);

struct HostFrame {
    HostMessage type;
    std::span<const std::uint8_t> fields;
};

// Cuts a stream of bytes into frames. A length beyond the limit breaks the stream for good.
class HostFrameSplitter {
public:
    void Append(std::span<const std::uint8_t> bytes);
    // Room for up to size bytes read straight into the splitter; Commit says how many came.
    // Frames handed out before are no longer valid.
    std::span<std::uint8_t> Space(std::size_t size);
    void Commit(std::size_t count);
    // The next complete frame, valid until the next Append; nullopt when more bytes are needed
    // or the stream is broken.
    std::optional<HostFrame> Next();
    bool Broken() const { return m_broken; }
    // Bytes still missing for the frame begun (a hint for the size of the next read).
    std::size_t Missing() const;

private:
    // The length field of the frame begun; at least the header must be there.
    std::uint32_t FrameLength() const;

    std::unique_ptr<std::uint8_t[]> m_buffer;  // not zero-filled: only bytes received are read
    std::size_t m_capacity = 0;
    std::size_t m_start = 0;     // first byte not yet handed out
    std::size_t m_end = 0;       // behind the last byte received
    std::size_t m_reserved = 0;  // bytes behind the end given out by Space, not yet committed
    bool m_broken = false;
};

// --- The messages, each with its encoding (a whole frame) and its checked decoding. -----------

struct LoadRequest {
    std::vector<std::string> libraries;  // paths as UTF-8
};
struct RecordsRequest {
    std::string path;  // the raw file, UTF-8
    // Of an assembled archive only: the device type, the virtual device, and what the output
    // holds before the records (the device section).
    std::string type;
    std::int32_t virtualDevice = 0;
    std::string prefix;
};
struct LoadedDriver {
    std::uint32_t library = 0;
    std::string name;
};
struct LogLines {
    std::optional<std::string> lower;
    std::optional<std::string> upper;
};
// Views of the output they were taken from, or of the frame they were read from, valid as long
// as that is.
struct RenderedRecords {
    bool done = false;  // every record was converted; else the run failed (line sent)
    bool endedCleanly = false;
    std::uint64_t stopOffset = 0;
    bool limitReached = false;
    bool opened = false;  // a meter archive's header was valid: its values follow
    std::string_view type;
    std::string_view serial;
    std::string_view virtualNumber;
    std::string_view text;  // what followed the prefix
};

std::vector<std::uint8_t> EncodeLoad(const LoadRequest& request);
std::vector<std::uint8_t> EncodeRecords(HostMessage type, const RecordsRequest& request);
std::vector<std::uint8_t> EncodeEmpty(HostMessage type);
std::vector<std::uint8_t> EncodeHello();
std::vector<std::uint8_t> EncodeCalling(std::uint32_t library);
std::vector<std::uint8_t> EncodeLoaded(const std::vector<LoadedDriver>& drivers);
std::vector<std::uint8_t> EncodeLog(const LogLines& lines);
std::vector<std::uint8_t> EncodeProgress(int percent);
std::vector<std::uint8_t> EncodeRendered(const RenderedRecords& rendered);

std::optional<LoadRequest> DecodeLoad(std::span<const std::uint8_t> fields);
std::optional<RecordsRequest> DecodeRecords(std::span<const std::uint8_t> fields);
std::optional<std::uint32_t> DecodeHello(std::span<const std::uint8_t> fields);
std::optional<std::uint32_t> DecodeCalling(std::span<const std::uint8_t> fields);
std::optional<std::vector<LoadedDriver>> DecodeLoaded(std::span<const std::uint8_t> fields);
std::optional<LogLines> DecodeLog(std::span<const std::uint8_t> fields);
std::optional<int> DecodeProgress(std::span<const std::uint8_t> fields);
std::optional<RenderedRecords> DecodeRendered(std::span<const std::uint8_t> fields);

}  // namespace zep
