#include <velora_listener/ProtocolParser.h>

#include <velora_protocol/Addresses.h>
#include <velora_protocol/Crc16.h>
#include <velora_protocol/FrameBytes.h>

#include <algorithm>

namespace velora_listener {

ProtocolParser::ProtocolParser(ParserEventListener* listener)
    : listener(listener) {}

ProtocolParser& ProtocolParser::feed(std::uint8_t byte, velora_protocol::Timestamp time) {
    pending.push_back({byte, time});
    while (runState() == Step::Continue) {
    }
    return *this;
}

void ProtocolParser::flush() {
    flushTrash();
}

void ProtocolParser::endOfStream() {
    flushTrash();
    while (!pending.empty()) {
        listener->onUnfinished(take(mtTrash, 0, std::min(pending.size(), kTrashPiece)));
    }
    state = Idle;
    inQueryRun = false;
}

std::vector<velora_protocol::Frame> ProtocolParser::unfinished() const {
    std::vector<velora_protocol::Frame> pieces;
    if (trash.size > 0) {
        pieces.push_back(trash);
    }
    for (std::size_t first = 0; first < pending.size(); first += kTrashPiece) {
        pieces.push_back(piece(mtTrash, 0, first, std::min(pending.size() - first, kTrashPiece)));
    }
    return pieces;
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
        return onAck(mtLongAnswerAck, kLongAnswerAck);
    case CommandFrame:
        return onCommandFrame();
    case CommandAck:
        return onAck(mtCommandAck, kCommandAck);
    default:
        return Step::Wait;
    }
}

void ProtocolParser::flushTrash() {
    if (trash.size > 0) {
        listener->onFrame(trash);
        trash.size = 0;
    }
}

void ProtocolParser::report(MessageType type, int frameAddress, std::size_t count) {
    listener->onFrame(take(type, frameAddress, count));
}

velora_protocol::Frame ProtocolParser::take(MessageType type, int frameAddress, std::size_t count) {
    const velora_protocol::Frame frame = piece(type, frameAddress, 0, count);
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(count));
    return frame;
}

velora_protocol::Frame ProtocolParser::piece(MessageType type, int frameAddress, std::size_t first,
                                             std::size_t count) const {
    velora_protocol::Frame frame;
    frame.type = type;
    frame.address = static_cast<std::uint8_t>(frameAddress);
    frame.size = static_cast<std::uint8_t>(count);
    for (std::size_t i = 0; i < count; ++i) {
        frame.data[i] = pending[first + i].byte;
    }
    frame.times = {pending[first].time, pending[first + count - 1].time};
    return frame;
}

bool ProtocolParser::crcOk(std::size_t first, std::size_t count) const {
    std::uint16_t crc = velora_protocol::kCrcInitial;
    for (std::size_t i = first; i < first + count; ++i) {
        crc = velora_protocol::crc16Update(crc, pending[i].byte);
    }
    return crc == 0;
}

// Decides by the front byte: 0x00 and 0x80 fit no frame, bit 7 starts a command,
// anything else may be a poll.
ProtocolParser::Step ProtocolParser::dispatch() {
    if (pending.empty()) {
        return Step::Wait;
    }
    const std::uint8_t b = p(0);
    if ((b & velora_protocol::kAddressMask) == 0) {
        return discard();
    }
    state = (b & velora_protocol::kCommandMark) ? CommandFrame : QueryCandidate;
    return Step::Continue;
}

ProtocolParser::Step ProtocolParser::discard() {
    if (trash.size == 0) {
        trash.times.first = pending.front().time;
    }
    trash.data[trash.size++] = p(0);
    trash.times.last = pending.front().time;
    pop();
    if (trash.size >= kTrashPiece) {
        flushTrash();
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
        report(mtQuery, e, 1);
        report(mtShortAnswer, address, 1);
        state = Idle;
        return Step::Continue;
    }
    if (isLongAnswerHeader(o)) {
        state = LongAnswerFrame;
        return Step::Continue;
    }
    if (lastOfRun) {
        report(mtQuery, e, 1);
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
    report(mtQuery, p(0), 1);
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
    if (!crcOk(1, kLongAnswerLength)) {
        return discard();
    }
    flushTrash();
    address = p(0);
    report(mtQuery, address, 1);
    report(mtLongAnswer, address, kLongAnswerLength);
    state = LongAnswerAck;
    return Step::Wait;
}

ProtocolParser::Step ProtocolParser::onCommandFrame() {
    if (pending.size() < kCommandLength) {
        return Step::Wait;
    }
    if (!crcOk(0, kCommandLength)) {
        return discard();
    }
    flushTrash();
    state = CommandAck;
    address = p(0) & velora_protocol::kAddressMask;
    report(mtCommand, address, kCommandLength);
    return Step::Continue;
}

// The first byte after a long answer or a command: its acknowledgement, or the start of
// the next frame.
ProtocolParser::Step ProtocolParser::onAck(MessageType type, std::uint8_t ack) {
    if (pending.empty()) {
        return Step::Wait;
    }
    state = Idle;
    if (p(0) == ack) {
        report(type, address, 1);
        if (pending.empty()) {
            return Step::Wait;
        }
    }
    return Step::Continue;
}

} // namespace velora_listener
