#pragma once

#include <cstdint>
#include <vector>

namespace velora_listener {

// Callbacks of the protocol parser, called on the reader thread. Byte arguments hold
// 0..255; byte vectors are valid only during the call.
class ParserEventListener {
public:
    virtual ~ParserEventListener() = default;

    virtual void onQuery(int address) = 0;
    virtual void onShortAnswer(int address, int answerByte) = 0;
    virtual void onLongAnswer(int address, const std::vector<std::uint8_t>& bytes) = 0;
    virtual void onLongAnswerAck(int address, int ackByte) = 0;
    virtual void onCommand(int address, const std::vector<std::uint8_t>& bytes) = 0;
    virtual void onCommandAck(int address, int ackByte) = 0;
    virtual void onTrash(const std::vector<std::uint8_t>& bytes) = 0;
    // Called by the reader thread, not by the parser, when the converter is lost.
    virtual void onConnectionLost() = 0;
};

} // namespace velora_listener
