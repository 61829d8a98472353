// The Tessal collector's line routines: commands tried three times, keyed numbers and volumes.
#include "link/tessal_routines.h"

#include <algorithm>
#include <cstdio>

#include "core/crc16.h"
#include "core/number_text.h"

namespace zep {

namespace {

constexpr int kAttempts = 3;
constexpr int kMaxIdle = 1000;            // misses in a row that end an attempt
constexpr std::size_t kMaxSteps = 32767;  // reads per attempt; also the reply text limit

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace

TessalState& TessalProcessState() {
    static TessalState state;
    return state;
}

TessalLine::TessalLine(SerialPort& serial, int port, Clock& clock, WorkerReport& report)
    : serial(serial), port(port), clock(clock), report(report), m_reply(kReplySize, 0) {}

void TessalLine::FormatCommand(const char* format, long long first, long long second) {
    std::snprintf(m_command.data(), m_command.size(), format, first, second);
}

std::string_view TessalLine::Command() const {
    return m_command.data();
}

std::string_view TessalLine::ReplyText() const {
    return {reinterpret_cast<const char*>(m_reply.data()), m_textLength};
}

void TessalLine::ClearReply() {
    std::fill(m_reply.begin(), m_reply.end(), 0);
    m_textLength = 0;
    m_volumeLength = 0;
}

void TessalLine::AppendReply(std::uint8_t byte) {
    if (byte != 0 && m_textLength + 1 < m_reply.size()) {
        m_reply[m_textLength++] = byte;
    }
}

std::span<std::uint8_t> TessalLine::VolumeData() {
    return std::span(m_reply).subspan(4, m_volumeLength);
}

LineResult TessalSend(TessalLine& line, std::optional<std::string_view> text) {
    const std::string_view bytes = text ? *text : line.Command();
    const int written = line.serial.PortWrite(
        line.port, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    return written < 0 ? LineResult::Failed : LineResult::Ok;
}

LineResult TessalReadByte(TessalLine& line, int pauseMs) {
    if (line.ReplyText().size() >= kMaxSteps) {
        line.ClearReply();
    }
    const int byte = line.serial.PortReadByte(line.port);
    if (byte < 0) {
        line.clock.SleepMs(pauseMs);
        return LineResult::Failed;
    }
    line.AppendReply(static_cast<std::uint8_t>(byte));
    return LineResult::Ok;
}

LineResult TessalCommand(TessalLine& line, std::optional<std::string_view> command,
                         std::string_view expect, std::string_view reject, char prompt) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (command) {
            TessalSend(line, command);
        }
        line.ClearReply();
        // The reply only grows within an attempt, so "contains" is decided as each byte lands.
        bool hasPrompt = false;
        bool hasExpect = expect.empty();
        bool hasReject = false;
        int idle = 0;
        for (std::size_t step = 0; step < kMaxSteps; ++step) {
            const std::size_t before = line.ReplyText().size();
            if (TessalReadByte(line, 1) != LineResult::Ok) {
                if (line.serial.PortGone(line.port)) {
                    return LineResult::Failed;  // nothing more will come: no need to wait
                }
                if (++idle > kMaxIdle) {
                    break;
                }
                continue;
            }
            idle = 0;
            const std::string_view text = line.ReplyText();
            if (text.size() > before) {
                hasPrompt = hasPrompt || text.back() == prompt;
                hasExpect = hasExpect || EndsWith(text, expect);
                hasReject = hasReject || (!reject.empty() && EndsWith(text, reject));
            }
            if (hasPrompt && hasExpect && !hasReject) {
                return LineResult::Ok;
            }
        }
    }
    return LineResult::Failed;
}

LineResult TessalParseInt(std::string_view reply, std::string_view key, int& out) {
    const std::size_t found = reply.find(key);
    if (found == std::string_view::npos) {
        out = 0;
        return LineResult::Failed;
    }
    out = ParseDecimalAs<int>(reply.substr(found + key.size()));
    return LineResult::Ok;
}

LineResult TessalParseReal(std::string_view reply, std::string_view key, float& out) {
    const std::size_t found = reply.find(key);
    if (found == std::string_view::npos) {
        out = 0.0f;
        return LineResult::Failed;
    }
    out = ParseDecimalFraction(reply.substr(found + key.size()));
    return LineResult::Ok;
}

LineResult TessalReadVolume(TessalLine& line, std::string_view command, int first, int last) {
    enum class State { Searching, FirstLengthByte, SecondLengthByte, Body };
    line.report.SetBar1(first, std::nullopt);
    int lastPosted = 0;
    auto& reply = line.m_reply;
    // The frame's last byte lands at offset L + 1, which must stay below this.
    constexpr std::size_t kLimit = TessalLine::kReplySize - 1;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        TessalSend(line, command);
        line.ClearReply();
        State state = State::Searching;
        std::size_t offset = 0;
        std::size_t length = 0;
        std::size_t remaining = 0;
        int idle = 0;
        bool attemptOver = false;
        while (offset < kLimit && !attemptOver) {
            const int byte = line.serial.PortReadByte(line.port);
            if (byte < 0) {
                if (line.serial.PortGone(line.port)) {
                    return LineResult::Failed;
                }
                line.clock.SleepMs(1);
                attemptOver = ++idle > kMaxIdle;
                continue;
            }
            idle = 0;
            reply[offset] = static_cast<std::uint8_t>(byte);
            switch (state) {
                case State::Searching:
                    if (offset >= 3 && std::equal(reply.begin() + offset - 3,
                                                  reply.begin() + offset + 1, "Tess")) {
                        state = State::FirstLengthByte;
                    }
                    break;
                case State::FirstLengthByte:
                    state = State::SecondLengthByte;
                    break;
                case State::SecondLengthByte:
                    length = ReadBe16(&reply[offset - 1]);
                    // A frame without room for its CRC, or one that cannot fit, is not waited
                    // for to the end.
                    if (length < 2 || length + 1 >= kLimit) {
                        attemptOver = true;
                        break;
                    }
                    std::fill(reply.begin(), reply.end(), 0);
                    reply[0] = static_cast<std::uint8_t>(length >> 8);
                    reply[1] = static_cast<std::uint8_t>(length);
                    offset = 1;
                    remaining = length;
                    state = State::Body;
                    break;
                case State::Body:
                    if (--remaining > 0) {
                        const auto done = static_cast<std::int64_t>(length - remaining);
                        const int percent = static_cast<int>(
                            first + done * (static_cast<std::int64_t>(last) - first) /
                                        static_cast<std::int64_t>(length));
                        if (percent != lastPosted) {
                            line.report.SetBar1(percent, std::nullopt);
                            lastPosted = percent;
                        }
                        break;
                    }
                    if (ReadBe16(&reply[2]) == Crc16(&reply[4], length - 2)) {
                        line.m_volumeLength = length - 2;
                        return LineResult::Ok;
                    }
                    attemptOver = true;
                    break;
            }
            ++offset;
        }
    }
    return LineResult::Failed;
}

}  // namespace zep
