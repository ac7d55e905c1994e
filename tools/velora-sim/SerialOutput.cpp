#include "SerialOutput.h"

#include <rs485/DisconnectException.h>
#include <velora_protocol/LineSpeed.h>

namespace velora_sim {

namespace {

constexpr std::size_t kBlockSize = 256;

} // namespace

bool SerialOutput::open(const std::string& port, std::string& error) {
    if (!connection.open(port, velora_protocol::kBaudRate)) {
        error = connection.lastErrorText();
        return false;
    }
    return true;
}

bool SerialOutput::send(const std::vector<std::uint8_t>& bytes) {
    block.insert(block.end(), bytes.begin(), bytes.end());
    return block.size() < kBlockSize || writeBlock();
}

bool SerialOutput::finish() {
    return block.empty() || writeBlock();
}

bool SerialOutput::writeBlock() {
    try {
        const auto length = static_cast<std::uint32_t>(block.size());
        const bool complete = connection.write(block.data(), length) == length;
        block.clear();
        return complete;
    } catch (const rs485::DisconnectException&) {
        return false;
    }
}

} // namespace velora_sim
