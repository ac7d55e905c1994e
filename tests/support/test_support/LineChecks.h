#pragma once

#include <test_support/RecordingListener.h>
#include <velora_traffic/TrafficGenerator.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <random>
#include <thread>
#include <vector>

// Checks of a running reader through the line it reads, whatever stands in for the line (a
// pseudo-terminal, a COM port at the end of a null-modem cable). For tests only.
namespace velora_traffic {

using LineWriter = std::function<void(const std::vector<std::uint8_t>&)>;

inline bool waitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

constexpr std::uint8_t kProbeAddress = 0x7E;

// The reader purges the port when it starts, at a moment the test cannot see. Polls an
// answered probe address until the parser reports it, waits until nothing more comes, and
// returns the number of events so far: from there on, the parser is idle and sees exactly
// what the test writes.
inline std::size_t waitUntilReading(const RecordingListener& listener, const LineWriter& write) {
    const auto probed = [&listener] {
        const std::vector<Event> events = listener.snapshot();
        return std::any_of(events.begin(), events.end(), [](const Event& e) {
            return e.type == mtShortAnswer && e.address == kProbeAddress;
        });
    };
    for (int attempt = 0; attempt < 50 && !probed(); ++attempt) {
        write({kProbeAddress, 0x40});
        waitFor(probed, std::chrono::milliseconds(200));
    }
    EXPECT_TRUE(probed()) << "the reader never read";
    std::size_t count = listener.snapshot().size();
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const std::size_t now = listener.snapshot().size();
        if (now == count) {
            return count;
        }
        count = now;
    }
}

// Writes the stream in pieces of random size, as a converter delivers it.
inline void writeInPieces(const LineWriter& write, const std::vector<std::uint8_t>& bytes,
                          std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t n = std::min<std::size_t>(bytes.size() - at, 1 + rng() % 48);
        write(std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                        bytes.begin() + static_cast<std::ptrdiff_t>(at + n)));
        at += n;
        if (rng() % 8 == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(rng() % 15));
        }
    }
}

// Writes the traffic and checks that the parser reported its events after `first`. A final
// 0x00 settles the last frame, which a parser can only be sure of when the next byte comes;
// the 0x00 itself stays in the parser's trash.
inline void expectDelivered(const RecordingListener& listener, const LineWriter& write,
                            std::size_t first, const TrafficGenerator& traffic,
                            std::uint32_t seed) {
    std::vector<std::uint8_t> bytes = traffic.bytes();
    bytes.push_back(0x00);
    writeInPieces(write, bytes, seed);
    const std::size_t count = traffic.events().size();
    EXPECT_TRUE(waitFor([&] { return listener.snapshot().size() >= first + count; }))
        << "only " << listener.snapshot().size() - first << " of " << count << " events";
    const std::vector<Event> all = listener.snapshot();
    ASSERT_GE(all.size(), first + count);
    const auto begin = all.begin() + static_cast<std::ptrdiff_t>(first);
    EXPECT_EQ(std::vector<Event>(begin, begin + static_cast<std::ptrdiff_t>(count)),
              traffic.events());
}

// Whether an event carries the address or has it among its bytes.
inline bool mentions(const std::vector<Event>& events, int address) {
    return std::any_of(events.begin(), events.end(), [&](const Event& e) {
        return e.address == address ||
               std::find(e.bytes.begin(), e.bytes.end(), address) != e.bytes.end();
    });
}

} // namespace velora_traffic
