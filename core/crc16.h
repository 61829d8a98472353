#pragma once
// CRC-16/ARC (reflected polynomial 0xA001, no final inversion) shared by the device protocols,
// the raw archive files and the card database.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/byte_order.h"

namespace zep {

std::uint16_t Crc16(std::span<const std::uint8_t> data, std::uint16_t initial = 0);
std::uint16_t Crc16(const void* data, std::size_t length, std::uint16_t initial = 0);

}  // namespace zep
