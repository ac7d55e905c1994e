#pragma once

#include <rs485/ErrorCounts.h>
#include <velora_protocol/Frame.h>

#include <cstdint>
#include <vector>

namespace velora_listener {

// Callbacks of the protocol parser, called on the reader thread. Byte arguments hold
// 0..255; byte vectors are valid only during the call.
//
// The parser reports every frame through onFrame(), which carries the frame's bytes and
// the times of its first and last byte. Its default hands the frame on to the callback
// of its type, so a listener that does not care about time overrides those alone; one
// that takes whole frames overrides onFrame() and leaves the rest as they are (no-ops).
class ParserEventListener {
public:
    virtual ~ParserEventListener() = default;

    virtual void onFrame(const velora_protocol::Frame& frame);

    virtual void onQuery(int /*address*/) {}
    virtual void onShortAnswer(int /*address*/, int /*answerByte*/) {}
    virtual void onLongAnswer(int /*address*/, const std::vector<std::uint8_t>& /*bytes*/) {}
    virtual void onLongAnswerAck(int /*address*/, int /*ackByte*/) {}
    virtual void onCommand(int /*address*/, const std::vector<std::uint8_t>& /*bytes*/) {}
    virtual void onCommandAck(int /*address*/, int /*ackByte*/) {}
    virtual void onTrash(const std::vector<std::uint8_t>& /*bytes*/) {}
    // The bytes of a frame that the stream ended in, as trash: not a frame of the line, yet
    // part of its bytes (a capture keeps them).
    virtual void onUnfinished(const velora_protocol::Frame& /*bytes*/) {}
    // Called by the reader thread, not by the parser, when the converter is lost.
    virtual void onConnectionLost() {}
    // Called by the reader thread once a second with the converter's error counts since
    // the port was opened.
    virtual void onErrorCounts(const rs485::ErrorCounts& /*counts*/) {}
};

} // namespace velora_listener
