#pragma once

#include <cstdint>

namespace velora_protocol {

// Addresses of the line: the low seven bits of a poll, an answer's second byte and a
// command's first byte. Devices answer at 1..126; 127 is polled like a device but answered
// by none, and the log shows no frame of it; 0 in a command addresses every device.
constexpr int kAllDevices = 0;
constexpr int kFirstDevice = 1;
constexpr int kLastDevice = 126;
constexpr int kSpecialAddress = 127;
constexpr std::uint8_t kAddressMask = 0x7F;

constexpr bool isDeviceAddress(int address) {
    return address >= kFirstDevice && address <= kLastDevice;
}

// An address a poll can carry: a device or the special address.
constexpr bool isPolledAddress(int address) {
    return address >= kFirstDevice && address <= kSpecialAddress;
}

} // namespace velora_protocol
