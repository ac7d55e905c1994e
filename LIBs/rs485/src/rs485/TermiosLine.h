#pragma once

#include <cstdint>
#include <termios.h>

namespace rs485::termios_line {

enum class Parity { None, Even, Odd, Mark, Space };

// The termios speed constant for a baud rate; false for a rate termios cannot name.
bool speedFor(std::uint32_t baudRate, speed_t& speed);
// The baud rate of a termios speed constant, 0 when unknown.
std::uint32_t baudOf(speed_t speed);

// Raw bytes in both directions: no line editing, echo, signals or character mapping.
void setRaw(termios& t);
void setDataBits(termios& t);
void setStopBits(termios& t);
// Mark or space parity sent; received characters are taken whatever their ninth bit.
void setParity(termios& t, bool mark);
void setNoFlowControl(termios& t);
// Everything the line needs: raw, 8 data bits, space parity, one stop bit, no flow
// control, receiver on, modem status lines ignored, the given speed both ways.
void configureLine(termios& t, speed_t speed);

Parity parityOf(const termios& t);
// Whether the settings a driver gave back still receive the line correctly. The parity
// sent may be missing: some drivers (pseudo-terminals) have no parity bit, and a listener
// never sends.
bool keepsLineSettings(const termios& actual, speed_t speed);

} // namespace rs485::termios_line
