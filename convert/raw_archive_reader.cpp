#include "convert/raw_archive_reader.h"

#include <cstring>

#include "link/crc16.h"

namespace zep {

std::size_t RawArchiveReader::ReadBytes(std::uint8_t* into, std::size_t count) {
    const std::size_t got = std::fread(into, 1, count, m_file.get());
    m_position += got;
    return got;
}

bool RawArchiveReader::Open(const std::filesystem::path& path) {
    m_header.clear();
    m_record.clear();
    m_file.reset();
    m_position = 0;
    m_fileLength = 0;
    m_lastStop = StopReason::None;

    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    m_fileLength = std::filesystem::file_size(path, error);
    m_file.reset(std::fopen(path.c_str(), "rb"));
    if (!m_file) {
        return false;
    }
    std::uint8_t head[8];
    if (ReadBytes(head, 8) != 8 || std::memcmp(head, "tess", 4) != 0) {
        return false;
    }
    const std::size_t n = ReadLe16(head + 6);
    // The NUL and the check word sit at N + 5 .. N + 7, so N below 3 cannot hold them.
    if (n < 3) {
        return false;
    }
    std::vector<std::uint8_t> header(n + 8);
    std::memcpy(header.data(), head, 8);
    if (ReadBytes(header.data() + 8, n) != n) {
        return false;
    }
    if (header[n + 5] != 0) {
        return false;
    }
    if (Crc16(header.data() + 8, n - 2) != ReadLe16(header.data() + n + 6)) {
        return false;
    }
    m_header = std::move(header);
    return true;
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
    if (m_header.empty() || !m_file) {
        return std::nullopt;
    }
    std::uint8_t lengthBytes[2];
    if (ReadBytes(lengthBytes, 2) != 2) {
        m_lastStop = StopReason::EndOfFile;
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
    std::vector<std::uint8_t> record(length + 2);
    record[0] = lengthBytes[0];
    record[1] = lengthBytes[1];
    if (ReadBytes(record.data() + 2, length) != length) {
        m_lastStop = StopReason::Truncated;
        return std::nullopt;
    }
    if (record[2] != 'T') {
        m_lastStop = StopReason::NoT;
        return std::nullopt;
    }
    if (Crc16(record.data() + 2, length - 2) != ReadLe16(record.data() + length)) {
        m_lastStop = StopReason::BadCheck;
        return std::nullopt;
    }
    m_record = std::move(record);
    m_lastStop = StopReason::None;
    return MeterRecord{std::span<const std::uint8_t>(m_record)};
}

int RawArchiveReader::GetProgress() const {
    if (m_header.empty() || m_fileLength == 0) {
        return 0;
    }
    return static_cast<int>(m_position * 100 / m_fileLength);
}

}  // namespace zep
