// The simulated Kolvar device: answers command lines with counts and sizes, sends records as
// chained chunk frames, deletes them on request, and commits the faults it is given.
#include "tools/sim/kolvar_device_sim.h"

#include <algorithm>

#include "tools/common/line_speed.h"
#include "tools/sim/command_line_words.h"
#include "tools/sim/sim_crc.h"

namespace zep::sim {

namespace {

constexpr std::string_view kPromptEnd = "\r\nKLV10>";
constexpr std::size_t kLongestLine = 256;
// Offsets and lengths travel as 16-bit numbers.
constexpr std::size_t kLargestOffset = 0xFFFF;

constexpr std::string_view kError = "ERROR";

void PutBe16(std::vector<std::uint8_t>& out, std::size_t value) {
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFFu));
    out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
}

void FlipWord(std::vector<std::uint8_t>& frame, std::size_t offset) {
    if (offset + 1 < frame.size()) {
        frame[offset] ^= 0xFFu;
        frame[offset + 1] ^= 0xFFu;
    }
}

}  // namespace

std::vector<std::uint8_t> KolvarFrame(int record, std::size_t endOffset,
                                      std::span<const std::uint8_t> data, int status) {
    std::vector<std::uint8_t> frame = {0xA5, 0x5A, 0xAA, 0x55};
    PutBe16(frame, static_cast<std::size_t>(record));
    PutBe16(frame, endOffset);
    PutBe16(frame, data.size());
    PutBe16(frame, static_cast<std::size_t>(status));
    frame.insert(frame.end(), 4, 0);
    const std::uint16_t headerCrc = SimCrc16(frame);
    PutBe16(frame, headerCrc);
    frame.insert(frame.end(), data.begin(), data.end());
    PutBe16(frame, SimCrc16(data, headerCrc));
    return frame;
}

std::vector<std::vector<std::uint8_t>> KolvarChunkFrames(int record, std::size_t offset,
                                                         std::span<const std::uint8_t> data,
                                                         std::size_t chunkSize) {
    chunkSize = std::clamp<std::size_t>(chunkSize, 1, kLargestOffset);
    std::vector<std::vector<std::uint8_t>> frames;
    std::size_t done = 0;
    do {
        const std::size_t count = std::min(chunkSize, data.size() - done);
        frames.push_back(KolvarFrame(record, offset + done + count, data.subspan(done, count), 0));
        done += count;
    } while (done < data.size());
    return frames;
}

KolvarDeviceSim::KolvarDeviceSim(std::vector<KolvarRecord> records, SimOptions options)
    : DeviceSim("KLV10>", std::move(options)), m_records(std::move(records)) {}

KolvarDeviceSim::~KolvarDeviceSim() {
    Stop();
}

std::vector<int> KolvarDeviceSim::DeletedRecords() const {
    std::lock_guard guard(StateMutex());
    return m_deleted;
}

std::vector<KolvarRecord> KolvarDeviceSim::Records() const {
    std::lock_guard guard(StateMutex());
    return m_records;
}

void KolvarDeviceSim::OnBytes(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        if (Stopping()) {
            return;
        }
        if (byte == '?' && m_line.empty()) {
            ReceivedCommand("?");
            if (!InSession()) {
                Announce();
            }
        } else if (byte == '\r') {
            std::string line;
            line.swap(m_line);
            if (!line.empty()) {
                HandleLine(line);
            }
        } else if (byte != '\n' && m_line.size() < kLongestLine) {
            m_line.push_back(static_cast<char>(byte));
        }
    }
}

void KolvarDeviceSim::OnHostGone() {
    m_line.clear();
}

void KolvarDeviceSim::HandleLine(const std::string& line) {
    ReceivedCommand(line);
    const auto words = SplitWords(line);
    if (StartsWithWords(words, {"SET", "BAUDRATE"})) {
        SwitchSpeed(line);
    } else if (StartsWithWords(words, {"GET", "RECORDS"})) {
        ReplyText(line, "RECORDS=" + std::to_string(m_records.size()), kError, kPromptEnd);
    } else if (StartsWithWords(words, {"GET", "RECSIZE"})) {
        const auto record = WordNumber(words, 2);
        const bool known =
            record && *record >= 0 && static_cast<std::size_t>(*record) < m_records.size();
        ReplyText(line, known ? "RECSIZE=" + std::to_string(m_records[*record].bytes.size()) : "",
                  kError, kPromptEnd);
    } else if (StartsWithWords(words, {"DOWNLOAD"})) {
        SendRecord(line);
    } else if (StartsWithWords(words, {"DELETE", "RECORD"})) {
        DeleteRecord(line);
    } else if (StartsWithWords(words, {"EXIT"})) {
        EndSession();
    } else {
        ReplyText(line, "", kError, kPromptEnd);
    }
}

// The device switches without a word; the host follows after a pause of its own.
void KolvarDeviceSim::SwitchSpeed(const std::string& line) {
    const auto fault = StrikingFault(line, {FaultKind::Silence, FaultKind::RefuseSpeed});
    const auto speed = WordNumber(SplitWords(line), 2);
    if (fault || !speed || !tools::IsStandardLineSpeed(static_cast<int>(*speed))) {
        return;
    }
    SwitchDeviceSpeed(static_cast<int>(*speed));
}

void KolvarDeviceSim::SendRecord(const std::string& line) {
    const auto words = SplitWords(line);
    const auto record = WordNumber(words, 1);
    const auto offset = WordNumber(words, 2);
    const auto size = WordNumber(words, 3);
    const bool known = record && offset && size && *record >= 0 && *offset >= 0 && *size >= 0 &&
                       static_cast<std::size_t>(*record) < m_records.size() &&
                       static_cast<std::size_t>(*offset) <= m_records[*record].bytes.size();
    const auto fault =
        StrikingFault(line, {FaultKind::Silence, FaultKind::ErrorReply, FaultKind::BadCrc,
                             FaultKind::BadHeaderCrc, FaultKind::BadStatus, FaultKind::Garbage,
                             FaultKind::Truncate, FaultKind::Unplug});
    if (fault && fault->kind == FaultKind::Silence) {
        return;
    }
    std::size_t end = 0;
    if (known) {
        const auto& bytes = m_records[*record].bytes;
        end = std::min(bytes.size(),
                       static_cast<std::size_t>(*offset) + static_cast<std::size_t>(*size));
    }
    if (!known || end > kLargestOffset || (fault && fault->kind == FaultKind::ErrorReply)) {
        Reply("ERROR" + std::string(kPromptEnd), fault);
        return;
    }
    const auto& bytes = m_records[*record].bytes;
    const auto data = std::span<const std::uint8_t>(bytes).subspan(
        static_cast<std::size_t>(*offset), end - static_cast<std::size_t>(*offset));
    auto frames = KolvarChunkFrames(static_cast<int>(*record), static_cast<std::size_t>(*offset),
                                    data, Options().chunkSize);
    if (fault && fault->kind != FaultKind::Garbage && fault->kind != FaultKind::Truncate &&
        fault->kind != FaultKind::Unplug) {
        const bool last = fault->kind == FaultKind::BadStatus;
        const std::size_t chunk = fault->at >= 0
                                      ? std::min<std::size_t>(fault->at, frames.size() - 1)
                                      : (last ? frames.size() - 1 : 0);
        auto& frame = frames[chunk];
        if (fault->kind == FaultKind::BadHeaderCrc) {
            FlipWord(frame, 16);
        } else if (fault->kind == FaultKind::BadCrc) {
            FlipWord(frame, frame.size() - 2);
        } else {
            const std::size_t count = frame.size() - 20;
            const std::size_t chunkEnd = (std::size_t{frame[6]} << 8) | frame[7];
            frame = KolvarFrame(static_cast<int>(*record), chunkEnd,
                                std::span<const std::uint8_t>(frame).subspan(18, count), 1);
        }
    }
    std::vector<std::uint8_t> stream;
    for (const auto& frame : frames) {
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    Event("record " + std::to_string(*record) + ", " + std::to_string(data.size()) + " bytes in " +
          std::to_string(frames.size()) + " chunks");
    Reply(stream, fault);
}

void KolvarDeviceSim::DeleteRecord(const std::string& line) {
    const auto record = WordNumber(SplitWords(line), 2);
    const bool known =
        record && *record >= 0 && static_cast<std::size_t>(*record) < m_records.size();
    const auto fault =
        StrikingFault(line, {FaultKind::Silence, FaultKind::ErrorReply, FaultKind::Garbage,
                             FaultKind::Truncate, FaultKind::Unplug});
    if (fault && fault->kind == FaultKind::Silence) {
        return;
    }
    if (!known || (fault && fault->kind == FaultKind::ErrorReply)) {
        Reply("ERROR" + std::string(kPromptEnd), fault);
        return;
    }
    const std::string source = m_records[*record].source;
    ChangeState([&] {
        m_records.erase(m_records.begin() + *record);
        m_deleted.push_back(static_cast<int>(*record));
    });
    Event("deleted record " + std::to_string(*record) +
          (source.empty() ? "" : " (" + source + ")"));
    Deleted(source);
    Reply("OK" + std::string(kPromptEnd), fault);
}

}  // namespace zep::sim
