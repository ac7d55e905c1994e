#include <velora_listener/ParserEventListener.h>

namespace velora_listener {

void ParserEventListener::onFrame(const velora_protocol::Frame& frame) {
    const int address = frame.address;
    const int firstByte = frame.size > 0 ? frame.data[0] : 0;
    switch (frame.type) {
    case mtQuery:
        onQuery(address);
        break;
    case mtShortAnswer:
        onShortAnswer(address, firstByte);
        break;
    case mtLongAnswer:
        onLongAnswer(address, frame.bytes());
        break;
    case mtLongAnswerAck:
        onLongAnswerAck(address, firstByte);
        break;
    case mtCommand:
        onCommand(address, frame.bytes());
        break;
    case mtCommandAck:
        onCommandAck(address, firstByte);
        break;
    case mtTrash:
        onTrash(frame.bytes());
        break;
    }
}

} // namespace velora_listener
