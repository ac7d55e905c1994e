#pragma once

#include <string>
#include <vector>

namespace rs485 {

// Every serial port of the computer, sorted byte-wise (COM1, COM10, COM2).
std::vector<std::string> serialPortNames();
// The ports of attached USB-serial converters with an FTDI chip, sorted byte-wise.
std::vector<std::string> converterPortNames();

#if !defined(_WIN32)
// The same lookups in the device tree under sysfsRoot (normally /sys).
std::vector<std::string> serialPortNames(const std::string& sysfsRoot);
std::vector<std::string> converterPortNames(const std::string& sysfsRoot);
#endif

} // namespace rs485
