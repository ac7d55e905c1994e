#pragma once

#include "LineOutput.h"

#include <rs485/RS485Connection.h>

namespace velora_sim {

// A serial port with the line's settings, for a bench with a second converter. Every
// write waits until the line is turned round, so the port carries the stream at about
// half the line's rate, in blocks.
class SerialOutput : public LineOutput {
public:
    // error: the connection's reason when the port cannot be opened.
    bool open(const std::string& port, std::string& error);
    bool send(const std::vector<std::uint8_t>& bytes) override;
    bool finish() override;

private:
    bool writeBlock();

    rs485::RS485Connection connection;
    std::vector<std::uint8_t> block;
};

} // namespace velora_sim
