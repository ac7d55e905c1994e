#pragma once

#include <cstdint>

namespace velora_protocol {

// The line runs at 19200 baud; a character is 11 bits: start, 8 data, the mark/space
// parity bit that tells an address byte, stop.
constexpr std::uint32_t kLineBaudRate = 19200;
constexpr std::uint32_t kBitsPerCharacter = 11;

// How long one character occupies the line, in nanoseconds (572,916 ns at 19200 baud).
constexpr std::int64_t characterTimeNs(std::uint32_t baudRate = kLineBaudRate) {
    return static_cast<std::int64_t>(kBitsPerCharacter) * 1'000'000'000 / baudRate;
}

} // namespace velora_protocol
