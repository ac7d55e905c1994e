#pragma once

#include <string>

namespace rs485 {

// The user's message with the system's reason for the failure (in the language the
// system's locale gives it) as a detail on a line of its own.
inline std::string withSystemReason(const std::string& text, const std::string& reason) {
    return text + "\nСообщение системы: " + reason;
}

} // namespace rs485
