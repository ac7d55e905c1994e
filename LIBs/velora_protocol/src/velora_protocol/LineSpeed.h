#pragma once

#include <cstdint>

namespace velora_protocol {

// The Velora line runs at 19200 baud; a character takes 11 bit times: start bit, 8 data
// bits, the parity bit and the stop bit.
constexpr std::uint32_t kBaudRate = 19200;
constexpr std::uint32_t kBitsPerCharacter = 11;

// Milliseconds one character takes at the given rate.
constexpr double characterMs(std::uint32_t baudRate) {
    return 1000.0 * kBitsPerCharacter / baudRate;
}

// Nanoseconds one character takes at the given rate (572,916 ns at 19200 baud).
constexpr std::int64_t characterTimeNs(std::uint32_t baudRate = kBaudRate) {
    return static_cast<std::int64_t>(kBitsPerCharacter) * 1'000'000'000 / baudRate;
}

// The line's maximum: 1745 characters a second.
constexpr double kCharactersPerSecond = static_cast<double>(kBaudRate) / kBitsPerCharacter;

} // namespace velora_protocol
