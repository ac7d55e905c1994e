#pragma once

#include "LineOutput.h"

#include <atomic>
#include <string>

namespace velora_sim {

// A pseudo-terminal that plays the line at its real pace for a program that opens the
// terminal as its serial port. Bytes that nobody reads are lost, as on a real line.
class PseudoTerminal : public LineOutput {
public:
    // Throws std::runtime_error with the system's message.
    PseudoTerminal();
    ~PseudoTerminal() override;
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& path() const { return name; }
    // Waits until a program opens the terminal, then gives it time to configure and
    // purge the port before the line starts. False when `stop` was set first.
    bool waitForReader(const std::atomic<bool>& stop);

    bool send(const std::vector<std::uint8_t>& bytes) override;
    void pause(double seconds) override { pace.pause(seconds); }
    bool finish() override;

private:
    bool readerAttached() const;

    int master = -1;
    std::string name;
    LinePace pace;
};

} // namespace velora_sim
