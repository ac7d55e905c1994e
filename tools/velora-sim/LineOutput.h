#pragma once

#include <velora_protocol/LineSpeed.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace velora_sim {

// Where the simulated line goes.
class LineOutput {
public:
    virtual ~LineOutput() = default;
    // False when the output is gone (a closed pipe, a failed write).
    virtual bool send(const std::vector<std::uint8_t>& bytes) = 0;
    // The line stays silent this long before the next bytes; only a paced output keeps it.
    virtual void pause(double /*seconds*/) {}
    // Called once after the last bytes; lets a reader take them before the end.
    virtual bool finish() { return true; }
};

// A file or standard output, as fast as it takes the bytes.
class StreamOutput : public LineOutput {
public:
    explicit StreamOutput(std::FILE* stream);
    bool send(const std::vector<std::uint8_t>& bytes) override;
    bool finish() override;

private:
    std::FILE* stream;
};

// The pace of the line at its full rate.
class LinePace {
public:
    static constexpr double kBytesPerSecond = velora_protocol::kCharactersPerSecond;

    void start();
    // Sleeps until `count` more bytes would have left the line since the last call.
    void wait(std::size_t count);
    // Adds silence before the next bytes.
    void pause(double seconds) { silence += seconds; }

private:
    std::chrono::steady_clock::time_point begin;
    std::uint64_t bytes = 0;
    double silence = 0;
};

} // namespace velora_sim
