#pragma once

#include <test_support/PseudoTerminal.h>

#include <test_support/RecordingListener.h>
#include <velora_listener/ParserEventListener.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

namespace line_faults {

using namespace std::chrono_literals;
using pseudo_terminal::PseudoTerminal;

// Polls until the condition holds or the time is up; returns the condition.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// After start() the reader purges the port at a moment the test cannot see. Sends a short
// answer until the parser reports one, so that the purge is over and the parser is idle with
// nothing held; returns the number of events recorded by then.
std::size_t synchronise(PseudoTerminal& line, const velora_traffic::RecordingListener& recorder);

// The total of bytes in the events: every byte the parser hands back.
std::size_t byteCount(const std::vector<velora_traffic::Event>& events);

// Writes the bytes at the given rate, in 10 ms slices against a fixed schedule; returns the
// seconds it took.
double writePaced(PseudoTerminal& line, const std::vector<std::uint8_t>& bytes,
                  double bytesPerSecond);

// Random valid traffic written every millisecond on a thread of its own, while the test
// opens, closes, pauses and resumes the listener. It switches the master side to
// non-blocking writes and drops what does not fit, so that a paused reader cannot hold it
// up; the line's other writes must wait until it is gone.
class BackgroundTraffic {
public:
    explicit BackgroundTraffic(PseudoTerminal& line);
    ~BackgroundTraffic();

private:
    int master;
    int flags;
    std::atomic<bool> running{true};
    std::thread writer;
};

// Counts the parser's reports without keeping them, so that memory stays flat however many
// there are.
class CountingListener : public velora_listener::ParserEventListener {
public:
    void onFrame(const velora_protocol::Frame&) override { ++frames; }
    void onConnectionLost() override { ++connectionLost; }

    std::atomic<long> frames{0};
    std::atomic<int> connectionLost{0};
};

} // namespace line_faults
