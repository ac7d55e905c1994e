#pragma once

#include <string>

namespace rs485 {

// The system's own words for an error number (errno on POSIX, GetLastError() on Windows), in
// the language the system's locale gives them, as UTF-8.
std::string systemReason(unsigned long error);
// The same for the last call of this thread that failed.
std::string lastSystemReason();

// The user's message with the system's reason for the failure (in the language the
// system's locale gives it) as a detail on a line of its own.
inline std::string withSystemReason(const std::string& text, const std::string& reason) {
    return text + "\nСообщение системы: " + reason;
}

} // namespace rs485
