#pragma once

#include <test_support/RecordingListener.h>
#include <velora_listener/ProtocolParser.h>
#include <velora_traffic/TrafficGenerator.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace velora_traffic {

// The parser's reports of single frames, for tests that list what they expect.
namespace events {

inline Event query(int address) {
    return {mtQuery, address, {static_cast<std::uint8_t>(address)}};
}
inline Event shortAnswer(int address, std::uint8_t answer) {
    return {mtShortAnswer, address, {answer}};
}
inline Event trash(std::vector<std::uint8_t> bytes) {
    return {mtTrash, 0, std::move(bytes)};
}

} // namespace events

// Feeds the bytes one at a time into a fresh parser, then flushes it; returns what it
// reported. The parser never holds more than a poll and a long answer (11 bytes).
inline std::vector<Event> parseAll(const std::vector<std::uint8_t>& bytes) {
    RecordingListener listener;
    velora_listener::ProtocolParser parser(&listener);
    for (const auto b : bytes) {
        parser.feed(b);
        EXPECT_LE(parser.pendingCount(), 11u);
    }
    parser.flush();
    return listener.snapshot();
}

} // namespace velora_traffic
