#pragma once

#include <velora_decoding/LineLoad.h>

#include <velora_protocol/Timestamp.h>

#include <cstdint>

namespace velora_decoding {

// What the whole line carried.
struct LineTotals {
    std::uint64_t bytes = 0;
    std::uint64_t frames = 0;
    std::uint64_t trashBytes = 0;
    // Polls decided: answered by the next frame or missed.
    std::uint64_t answeredPolls = 0;
    std::uint64_t missedPolls = 0;
    // The first byte of the first frame and the last byte of the last one.
    velora_protocol::Timestamp first;
    velora_protocol::Timestamp last;
    // The load of every whole minute.
    LineLoad minuteLoad;

    double seconds() const;
    // 0 over a span of no time.
    double framesPerSecond() const;
    // Answered polls in percent of the decided ones; 0 when none.
    double answeredPercent() const;
    // The share of line time in use from the first byte's start to the last byte; 0 when
    // the frames' times are unknown.
    double load() const;
};

} // namespace velora_decoding
