#pragma once

#include <velora_decoding/AnswerTimes.h>

#include <velora_protocol/AnswerFields.h>
#include <velora_protocol/Frame.h>

#include <array>
#include <cstdint>

namespace velora_decoding {

// Whether a device answers its polls: answering; silent (polled, never answered or not
// yet lost); lost (answered earlier, now missed several polls in a row); not polled.
enum class Presence : std::uint8_t { NotPolled, Answering, Silent, Lost };

// "answering", "silent", "lost", "not_polled": the names of machine-readable tables.
const char* presenceId(Presence presence);

// The state of a loop or line as the last answer with data reported it; loops 1 and 2,
// lines 3 and 4.
using velora_protocol::kLine3;
using velora_protocol::kLine4;
using velora_protocol::kLoop1;
using velora_protocol::kLoop2;
using velora_protocol::kPointCount;
using velora_protocol::Point;
using velora_protocol::PointState;
// The flags of an answer with data besides its loops and lines.
enum Flag { kTamper, kBadSupply, kReset, kOutputsFault, kFlagCount };

// What the line told about one device address.
struct DeviceStatus {
    std::uint64_t polls = 0;
    std::uint64_t shortAnswers = 0;
    std::uint64_t longAnswers = 0;
    std::uint64_t longAnswerAcks = 0;
    std::uint64_t commands = 0;
    std::uint64_t commandAcks = 0;
    // Polls that the next frame did not answer, and the current run of them.
    std::uint64_t missed = 0;
    std::uint32_t missRun = 0;

    Presence presence = Presence::NotPolled;
    bool everAnswered = false;
    velora_protocol::Timestamp lastAnswerTime;
    // The last answer, short or with data.
    velora_protocol::Frame lastAnswer;
    // From the first poll answered right after it to its answer.
    AnswerTimes answerTimes;

    // From the last answer with data, each with the time it began (unknown until the
    // first answer with data).
    std::array<PointState, kPointCount> points{};
    std::array<velora_protocol::Timestamp, kPointCount> pointSince{};
    std::array<bool, kFlagCount> flags{};
    std::array<velora_protocol::Timestamp, kFlagCount> flagSince{};

    bool seen() const { return polls + shortAnswers + longAnswers + commands > 0; }
    std::uint64_t answers() const { return shortAnswers + longAnswers; }
    // Missed polls in percent of the polls.
    double missedPercent() const;
    // A loop or line triggered.
    bool alarm() const;
    // A loop or line in fault, tamper, outputs fault or bad supply voltage.
    bool fault() const;
};

} // namespace velora_decoding
