#include <velora_listener/ProtocolParser.h>

#include <velora_protocol/Crc16.h>

namespace velora_listener {

ProtocolParser::ProtocolParser(ParserEventListener* listener)
    : listener(listener) {
    trash.reserve(kTrashPiece);
}

ProtocolParser& ProtocolParser::feed(std::uint8_t byte) {
    pending.push_back(byte);
    while (runState() == Step::Continue) {
    }
    return *this;
}

void ProtocolParser::flush() {
    flushTrash();
}

ProtocolParser::Step ProtocolParser::runState() {
    switch (state) {
    case Idle:
        return dispatch();
    case QueryCandidate:
        return onQueryCandidate();
    case QueryRun:
        return onQueryRun();
    case LongAnswerFrame:
        return onLongAnswerFrame();
    case LongAnswerAck:
        return onAck(kLongAnswerAck, &ParserEventListener::onLongAnswerAck);
    case CommandFrame:
        return onCommandFrame();
    case CommandAck:
        return onAck(kCommandAck, &ParserEventListener::onCommandAck);
    default:
        return Step::Wait;
    }
}

void ProtocolParser::flushTrash() {
    if (!trash.empty()) {
        listener->onTrash(trash);
        trash.clear();
    }
}

// Decides by the front byte: 0x00 and 0x80 fit no frame, bit 7 starts a command,
// anything else may be a poll.
ProtocolParser::Step ProtocolParser::dispatch() {
    if (pending.empty()) {
        return Step::Wait;
    }
    const std::uint8_t b = p(0);
    if ((b & 0x7F) == 0) {
        return discard();
    }
    state = (b & 0x80) ? CommandFrame : QueryCandidate;
    return Step::Continue;
}

ProtocolParser::Step ProtocolParser::discard() {
    trash.push_back(p(0));
    pop();
    if (trash.size() >= kTrashPiece) {
        listener->onTrash(trash);
        trash.clear();
    }
    state = Idle;
    return Step::Continue;
}

ProtocolParser::Step ProtocolParser::onQueryCandidate() {
    // The flag speaks only for the byte that the poll run hands over, never for the
    // bytes examined after it.
    const bool lastOfRun = inQueryRun;
    inQueryRun = false;
    if (pending.size() < 2) {
        return Step::Wait;
    }
    const std::uint8_t e = p(0);
    const std::uint8_t o = p(1);
    if ((o & 0x80) == 0 && o == e + 1) {
        state = QueryRun;
        return Step::Continue;
    }
    if (isShortAnswer(o)) {
        flushTrash();
        address = e;
        listener->onQuery(e);
        pop();
        listener->onShortAnswer(address, o);
        pop();
        state = Idle;
        return Step::Continue;
    }
    if (isLongAnswerHeader(o)) {
        state = LongAnswerFrame;
        return Step::Continue;
    }
    if (lastOfRun) {
        listener->onQuery(e);
        pop();
        state = Idle;
        return Step::Continue;
    }
    return discard();
}

ProtocolParser::Step ProtocolParser::onQueryRun() {
    if (pending.size() < 3) {
        return Step::Wait;
    }
    flushTrash();
    listener->onQuery(p(0));
    pop();
    // A poll byte has bit 7 clear: 0x80 after a poll of 127 does not go on with the run.
    // The run goes on; bytes still pending from a rejected frame are examined at once.
    if ((p(1) & 0x80) == 0 && p(1) == p(0) + 1) {
        return Step::Continue;
    }
    inQueryRun = true;
    state = QueryCandidate;
    return Step::Continue;
}

// Pending: the poll byte, then header, address, six data bytes, CRC low, CRC high.
ProtocolParser::Step ProtocolParser::onLongAnswerFrame() {
    if (pending.size() < 3) {
        return Step::Wait;
    }
    if (p(2) != p(0)) {
        return discard();
    }
    if (pending.size() < 1 + kLongAnswerLength) {
        return Step::Wait;
    }
    const auto first = pending.begin() + 1;
    const auto last = first + kLongAnswerLength;
    if (velora_protocol::crc16(first, last) != 0) {
        return discard();
    }
    flushTrash();
    address = p(0);
    listener->onQuery(address);
    pop();
    const std::vector<std::uint8_t> frame(pending.begin(), pending.begin() + kLongAnswerLength);
    listener->onLongAnswer(address, frame);
    pending.erase(pending.begin(), pending.begin() + kLongAnswerLength);
    state = LongAnswerAck;
    return Step::Wait;
}

ProtocolParser::Step ProtocolParser::onCommandFrame() {
    if (pending.size() < kCommandLength) {
        return Step::Wait;
    }
    const auto last = pending.begin() + kCommandLength;
    if (velora_protocol::crc16(pending.begin(), last) != 0) {
        return discard();
    }
    flushTrash();
    state = CommandAck;
    address = p(0) & 0x7F;
    const std::vector<std::uint8_t> frame(pending.begin(), last);
    pending.erase(pending.begin(), last);
    listener->onCommand(address, frame);
    return Step::Continue;
}

// The first byte after a long answer or a command: its acknowledgement, or the start of
// the next frame.
ProtocolParser::Step ProtocolParser::onAck(std::uint8_t ack,
                                           void (ParserEventListener::*report)(int, int)) {
    if (pending.empty()) {
        return Step::Wait;
    }
    state = Idle;
    if (p(0) == ack) {
        (listener->*report)(address, ack);
        pop();
        if (pending.empty()) {
            return Step::Wait;
        }
    }
    return Step::Continue;
}

} // namespace velora_listener
