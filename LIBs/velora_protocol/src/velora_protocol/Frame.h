#pragma once

#include <velora_protocol/FrameBytes.h>
#include <velora_protocol/MessageType.h>
#include <velora_protocol/Timestamp.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velora_protocol {

// One frame as the parser reports it: its type, the device address (0 for trash), exactly
// its bytes on the line (the poll byte, the answer or acknowledgement byte, the whole long
// answer or command, or a piece of trash) and the times of its first and last byte.
// Fixed size, so that handing frames on allocates nothing.
struct Frame {
    // A long answer; trash comes in pieces of kTrashPiece bytes at most.
    static constexpr std::size_t kMaxSize = kLongAnswerLength;

    MessageType type = mtTrash;
    std::uint8_t address = 0;
    std::uint8_t size = 0;
    std::array<std::uint8_t, kMaxSize> data{};
    FrameTimes times;

    const std::uint8_t* begin() const { return data.data(); }
    const std::uint8_t* end() const { return data.data() + size; }
    std::vector<std::uint8_t> bytes() const { return {begin(), end()}; }

    // A frame of the given bytes; bytes beyond kMaxSize are dropped.
    template <typename It>
    static Frame of(MessageType type, int address, It first, It last, FrameTimes times = {}) {
        Frame frame;
        frame.type = type;
        frame.address = static_cast<std::uint8_t>(address);
        frame.times = times;
        for (; first != last && frame.size < kMaxSize; ++first) {
            frame.data[frame.size++] = static_cast<std::uint8_t>(*first);
        }
        return frame;
    }
    static Frame of(MessageType type, int address, const std::vector<std::uint8_t>& bytes,
                    FrameTimes times = {}) {
        return of(type, address, bytes.begin(), bytes.end(), times);
    }
};

} // namespace velora_protocol
