#include <rs485/DisconnectException.h>

namespace rs485 {

const char* DisconnectException::what() const noexcept {
    return "Нет связи с преобразователем USB-RS485";
}

} // namespace rs485
