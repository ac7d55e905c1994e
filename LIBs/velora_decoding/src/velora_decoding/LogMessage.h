#pragma once

#include <velora_protocol/Frame.h>

#include <string>

namespace velora_decoding {

// A frame with its text: what every view of the line shows, one per frame. The frame
// carries the type, the address, the bytes and the times.
struct LogMessage {
    velora_protocol::Frame frame;
    std::string text; // UTF-8

    MessageType type() const { return frame.type; }
    int address() const { return frame.address; }
};

// Decodes one parser report; no event loop, no allocation beyond the text.
LogMessage decode(const velora_protocol::Frame& frame);

} // namespace velora_decoding
