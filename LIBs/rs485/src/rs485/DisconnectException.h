#pragma once

#include <exception>

namespace rs485 {

// The converter is lost: a read or write on its port failed.
class DisconnectException : public std::exception {
public:
    // UTF-8: "Нет связи с преобразователем USB-RS485".
    const char* what() const noexcept override;
};

} // namespace rs485
