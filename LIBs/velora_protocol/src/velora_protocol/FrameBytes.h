#pragma once

#include <cstddef>
#include <cstdint>

namespace velora_protocol {

// The bytes that tell the frames of the line apart.

// The panel's acknowledgement of an answer with data, and a device's of a command.
constexpr std::uint8_t kLongAnswerAck = 0x70;
constexpr std::uint8_t kCommandAck = 0x50;

constexpr std::size_t kLongAnswerLength = 10;
constexpr std::size_t kCommandLength = 8;
// Bytes that fit no frame are handed on in pieces of at most this many.
constexpr std::size_t kTrashPiece = 8;

// Bit 7 of the first byte marks a command (a poll, an answer or an acknowledgement has it
// clear); the address is the low seven bits.
constexpr std::uint8_t kCommandMark = 0x80;

// A device's one-byte answer without data: 01xxx0xx, bits 3 and 4 not both set.
constexpr bool isShortAnswer(std::uint8_t b) {
    return (b & 0xC7) == 0x40 && (b & 0x18) != 0x18;
}

// The first byte of an answer with data: 01xxxx1x, bits 3 and 4 not both set.
constexpr bool isLongAnswerHeader(std::uint8_t b) {
    return (b & 0xC2) == 0x42 && (b & 0x18) != 0x18;
}

} // namespace velora_protocol
