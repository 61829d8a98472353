#pragma once
// Shared pieces of the link tests: byte helpers and the frames the devices send.
#include <cstdint>
#include <string>
#include <vector>

#include "core/crc16.h"

namespace zep::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes ToBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

inline Bytes Pattern(std::size_t size, std::uint8_t seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7 + (i >> 8));
    }
    return bytes;
}

inline void PutBe16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

// ZEP data block: the data, then their CRC least significant byte first.
inline Bytes ZepBlock(const Bytes& data, std::uint16_t crcDelta = 0) {
    Bytes out = data;
    const std::uint16_t crc = static_cast<std::uint16_t>(Crc16(data) ^ crcDelta);
    out.push_back(static_cast<std::uint8_t>(crc));
    out.push_back(static_cast<std::uint8_t>(crc >> 8));
    return out;
}

// Tessal volume frame: "Tess", L = data + 2, CRC of the data, the data.
inline Bytes TessalFrame(const Bytes& data, std::uint16_t crcDelta = 0) {
    Bytes out = ToBytes("Tess");
    PutBe16(out, static_cast<std::uint16_t>(data.size() + 2));
    PutBe16(out, static_cast<std::uint16_t>(Crc16(data) ^ crcDelta));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

struct KolvarChunk {
    std::uint16_t record = 0;
    std::uint16_t endOffset = 0;
    Bytes data;
    std::uint16_t status = 0;
    std::uint16_t headerCrcDelta = 0;  // non-zero spoils the header CRC
    std::uint16_t dataCrcDelta = 0;    // non-zero spoils the data CRC
    int lengthOverride = -1;           // a data length field that lies
};

inline Bytes KolvarFrameBytes(const KolvarChunk& chunk) {
    Bytes out = {0xA5, 0x5A, 0xAA, 0x55};
    PutBe16(out, chunk.record);
    PutBe16(out, chunk.endOffset);
    PutBe16(out, static_cast<std::uint16_t>(chunk.lengthOverride >= 0 ? chunk.lengthOverride
                                                                      : chunk.data.size()));
    PutBe16(out, chunk.status);
    out.insert(out.end(), 4, 0);
    const std::uint16_t headerCrc = Crc16(out);
    PutBe16(out, static_cast<std::uint16_t>(headerCrc ^ chunk.headerCrcDelta));
    out.insert(out.end(), chunk.data.begin(), chunk.data.end());
    PutBe16(out, static_cast<std::uint16_t>(Crc16(chunk.data, headerCrc) ^ chunk.dataCrcDelta));
    return out;
}

}  // namespace zep::test
