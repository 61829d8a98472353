// Walking a meter archive file: header block, then its records one by one.
#include "convert/raw_archive_reader.h"

#include <algorithm>
#include <cstring>

#include "core/crc16.h"

namespace zep {

// Records are a few dozen bytes each; they are served from a block read ahead of them.
std::size_t RawArchiveReader::ReadBytes(std::uint8_t* into, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        if (m_readAhead.position == m_readAhead.end) {
            m_readAhead.bytes.resize(std::size_t{1} << 16);
            const auto got = m_file->ReadAt(m_position + done, m_readAhead.bytes);
            // A failed read is remembered, so it is never taken for the end of the archive.
            m_readError = !got;
            m_readAhead.end = got.value_or(0);
            m_readAhead.position = 0;
            if (m_readAhead.end == 0) {
                break;
            }
        }
        const std::size_t take = std::min(count - done, m_readAhead.end - m_readAhead.position);
        std::memcpy(into + done, m_readAhead.bytes.data() + m_readAhead.position, take);
        m_readAhead.position += take;
        done += take;
    }
    m_position += done;
    return done;
}

bool RawArchiveReader::Open(const std::filesystem::path& path) {
    m_header.clear();
    m_record.clear();
    m_file.reset();
    m_readError = false;
    m_position = 0;
    m_fileLength = 0;
    m_lastStop = StopReason::None;
    m_readAhead.position = 0;
    m_readAhead.end = 0;
    m_openFailure = ReadHeader(path);
    return m_openFailure == OpenFailure::None;
}

RawArchiveReader::OpenFailure RawArchiveReader::ReadHeader(const std::filesystem::path& path) {
    // Anything but a plain file (a folder, a pipe that would block, a link) is no archive.
    m_file = OpenedRegularFile::Open(path);
    if (!m_file) {
        return OpenFailure::CannotOpen;
    }
    m_fileLength = m_file->Size();
    std::uint8_t head[8];
    if (ReadBytes(head, 8) != 8) {
        return m_readError ? OpenFailure::CannotOpen : OpenFailure::ShortFileHeader;
    }
    if (std::memcmp(head, "tess", 4) != 0) {
        return OpenFailure::BadSignature;
    }
    const std::size_t n = ReadLe16(head + 6);
    // The NUL and the check word sit at N + 5 .. N + 7, so N below 3 cannot hold them.
    if (n < 3) {
        return OpenFailure::BadHeaderLength;
    }
    std::vector<std::uint8_t> header(n + 8);
    std::memcpy(header.data(), head, 8);
    if (ReadBytes(header.data() + 8, n) != n) {
        return m_readError ? OpenFailure::CannotOpen : OpenFailure::ShortHeaderBlock;
    }
    if (header[n + 5] != 0) {
        return OpenFailure::MissingTerminator;
    }
    if (Crc16(header.data() + 8, n - 2) != ReadLe16(header.data() + n + 6)) {
        return OpenFailure::BadHeaderCheck;
    }
    m_header = std::move(header);
    return OpenFailure::None;
}

std::string RawArchiveReader::GetHeaderText() const {
    if (m_header.empty()) {
        return {};
    }
    const char* text = reinterpret_cast<const char*>(m_header.data() + 8);
    return std::string(text, strnlen(text, m_header.size() - 8));
}

std::string RawArchiveReader::GetValue(std::string_view key) const {
    std::string result;
    const std::string text = GetHeaderText();
    if (text.empty() || key.empty()) {
        return result;
    }
    std::size_t from = 0;
    while (true) {
        const auto at = text.find(key, from);
        if (at == std::string::npos) {
            break;
        }
        const auto after = at + key.size();
        if (after < text.size() && text[after] == '=') {
            const auto lineEnd = text.find('\n', after + 1);
            const auto end = lineEnd == std::string::npos ? text.size() : lineEnd;
            result.append(text, after + 1, end - after - 1);
            if (lineEnd == std::string::npos) {
                break;
            }
            from = lineEnd + 1;
        } else {
            from = at + 1;
        }
    }
    return result;
}

std::optional<MeterRecord> RawArchiveReader::ReadRecord() {
    m_record.clear();
    // Once reading has stopped it stays stopped: behind a damaged record the position is
    // meaningless, and nothing found there may reach a driver.
    if (m_header.empty() || !m_file || m_lastStop != StopReason::None) {
        return std::nullopt;
    }
    std::uint8_t lengthBytes[2];
    const std::size_t lengthRead = ReadBytes(lengthBytes, 2);
    if (lengthRead != 2) {
        m_lastStop = m_readError ? StopReason::ReadError : StopReason::EndOfFile;
        m_cleanEnd = lengthRead == 0 && !m_readError;
        return std::nullopt;
    }
    const std::size_t length = ReadLe16(lengthBytes);
    if (length == 0) {
        m_lastStop = StopReason::ZeroLength;
        return std::nullopt;
    }
    if (length < 4) {
        m_lastStop = StopReason::ShortLength;
        return std::nullopt;
    }
    // The buffer keeps its capacity from record to record: no allocation per record.
    std::vector<std::uint8_t>& record = m_record;
    record.resize(length + 2);
    record[0] = lengthBytes[0];
    record[1] = lengthBytes[1];
    const auto fail = [&](StopReason reason) {
        record.clear();
        m_lastStop = reason;
        return std::nullopt;
    };
    if (ReadBytes(record.data() + 2, length) != length) {
        return fail(m_readError ? StopReason::ReadError : StopReason::Truncated);
    }
    if (record[2] != 'T') {
        return fail(StopReason::NoT);
    }
    if (Crc16(record.data() + 2, length - 2) != ReadLe16(record.data() + length)) {
        return fail(StopReason::BadCheck);
    }
    m_lastStop = StopReason::None;
    return MeterRecord{std::span<const std::uint8_t>(m_record)};
}

int RawArchiveReader::GetProgress() const {
    if (m_header.empty() || m_fileLength == 0) {
        return 0;
    }
    // A file that grows after Open must not push the bar past its end.
    return static_cast<int>(std::min<std::uint64_t>(m_position * 100 / m_fileLength, 100));
}

}  // namespace zep
