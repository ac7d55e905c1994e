#pragma once

#include <velora_protocol/Frame.h>

#include <cstdint>

// One entry of a session as it is kept: a frame (type, address, bytes, the wall time of its
// first byte and how long it took), or a gap in reception (type 0, the time it began).
// 32 bytes instead of a Frame's 48.
struct FrameRecord {
    static constexpr std::uint8_t kGap = 0;

    std::int64_t wallNs = 0;
    std::uint32_t spanNs = 0; // from the first byte to the last
    std::uint8_t type = kGap;
    std::uint8_t address = 0;
    std::uint8_t size = 0;
    std::uint8_t data[velora_protocol::Frame::kMaxSize] = {};

    bool isGap() const { return type == kGap; }
    const std::uint8_t* begin() const { return data; }
    const std::uint8_t* end() const { return data + size; }
    std::int64_t lastNs() const { return wallNs + spanNs; }

    static FrameRecord of(const velora_protocol::Frame& frame);
    static FrameRecord gap(std::int64_t startNs);
    // The frame with recorded times (the wall clock serves for both).
    velora_protocol::Frame frame() const;
};
