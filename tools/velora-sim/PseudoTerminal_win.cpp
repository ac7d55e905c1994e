#include "PseudoTerminal.h"

#include <stdexcept>

namespace velora_sim {

// Windows has no pseudo-terminals: the line goes to a port of a virtual null-modem pair or
// of a second converter instead.
PseudoTerminal::PseudoTerminal() {
    throw std::runtime_error("--pty есть только в Linux; в Windows укажите порт пары "
                             "виртуальных COM-портов или второго преобразователя (COM4)");
}

PseudoTerminal::~PseudoTerminal() = default;

bool PseudoTerminal::waitForReader(const std::atomic<bool>&) {
    return false;
}

bool PseudoTerminal::send(const std::vector<std::uint8_t>&) {
    return false;
}

bool PseudoTerminal::finish() {
    return false;
}

bool PseudoTerminal::readerAttached() const {
    return false;
}

} // namespace velora_sim
