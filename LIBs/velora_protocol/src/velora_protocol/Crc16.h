#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace velora_protocol {

// CRC-16 of the line: reflected polynomial 0xA001 (0x8005 bit-reversed), initial value
// 0xFFFF, no final XOR. Frames carry it low byte first, so running the CRC over a whole
// frame, its two CRC bytes included, leaves 0 for a good frame.
constexpr std::uint16_t kCrcInitial = 0xFFFF;

// Entry i is the CRC of the single byte i with initial value 0.
const std::array<std::uint16_t, 256>& crc16Table();

inline std::uint16_t crc16Update(std::uint16_t crc, std::uint8_t byte) {
    return static_cast<std::uint16_t>((crc >> 8) ^ crc16Table()[(crc ^ byte) & 0xFF]);
}

template <typename Iterator>
std::uint16_t crc16(Iterator first, Iterator last) {
    std::uint16_t crc = kCrcInitial;
    for (; first != last; ++first) {
        crc = crc16Update(crc, static_cast<std::uint8_t>(*first));
    }
    return crc;
}

std::uint16_t crc16(const std::uint8_t* data, std::size_t length);

} // namespace velora_protocol
