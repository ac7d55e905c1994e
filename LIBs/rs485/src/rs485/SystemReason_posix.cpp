#include <rs485/SystemReason.h>

#include <cerrno>
#include <system_error>

namespace rs485 {

std::string systemReason(unsigned long error) {
    return std::system_category().message(static_cast<int>(error));
}

std::string lastSystemReason() {
    return systemReason(static_cast<unsigned long>(errno));
}

} // namespace rs485
