// Any byte stream through the protocol parser, then through the desktop program's path into
// a session and its log texts. Every frame the parser reports must be well formed and the
// reports, in order, must hand back every byte fed exactly once: the stream is the
// concatenation of the reported bytes followed by what the parser still holds. Every
// report must become one record of the session, with its bytes and a text.
#include "FuzzCheck.h"
#include "SessionPath.h"

#include <test_support/RecordingListener.h>
#include <velora_listener/ProtocolParser.h>
#include <velora_protocol/Crc16.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

using velora_listener::ProtocolParser;
using velora_traffic::Event;

namespace {

bool crcIsGood(const std::vector<std::uint8_t>& frame) {
    return velora_protocol::crc16(frame.data(), frame.size()) == 0;
}

void checkEvent(const Event& event, const Event* previous) {
    using namespace velora_traffic;
    switch (event.type) {
    case mtQuery:
        FUZZ_CHECK(event.bytes.size() == 1 && event.address >= 1 && event.address <= 127);
        FUZZ_CHECK(event.bytes[0] == event.address);
        break;
    case mtShortAnswer:
        FUZZ_CHECK(event.bytes.size() == 1 && ProtocolParser::isShortAnswer(event.bytes[0]));
        FUZZ_CHECK(previous && previous->type == mtQuery && previous->address == event.address);
        break;
    case mtLongAnswer:
        FUZZ_CHECK(event.bytes.size() == ProtocolParser::kLongAnswerLength);
        FUZZ_CHECK(ProtocolParser::isLongAnswerHeader(event.bytes[0]));
        FUZZ_CHECK(event.bytes[1] == event.address && crcIsGood(event.bytes));
        FUZZ_CHECK(previous && previous->type == mtQuery && previous->address == event.address);
        break;
    case mtCommand:
        FUZZ_CHECK(event.bytes.size() == ProtocolParser::kCommandLength);
        FUZZ_CHECK((event.bytes[0] & 0x80) && (event.bytes[0] & 0x7F) == event.address);
        FUZZ_CHECK(event.address != 0 && crcIsGood(event.bytes));
        break;
    case mtLongAnswerAck:
        FUZZ_CHECK(event.bytes == std::vector<std::uint8_t>{ProtocolParser::kLongAnswerAck});
        FUZZ_CHECK(previous && previous->type == mtLongAnswer &&
                   previous->address == event.address);
        break;
    case mtCommandAck:
        FUZZ_CHECK(event.bytes == std::vector<std::uint8_t>{ProtocolParser::kCommandAck});
        FUZZ_CHECK(previous && previous->type == mtCommand && previous->address == event.address);
        break;
    case mtTrash:
        FUZZ_CHECK(!event.bytes.empty() && event.bytes.size() <= ProtocolParser::kTrashPiece);
        FUZZ_CHECK(event.address == 0);
        break;
    default:
        FUZZ_CHECK(!"unknown event type");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velora_traffic::RecordingListener recorder;
    ProtocolParser parser(&recorder);
    for (std::size_t i = 0; i < size; ++i) {
        parser.feed(data[i]);
        FUZZ_CHECK(parser.pendingCount() <= ProtocolParser::kLongAnswerLength + 1);
    }
    parser.flush();

    const std::vector<Event> events = recorder.snapshot();
    std::vector<std::uint8_t> reported;
    for (std::size_t i = 0; i < events.size(); ++i) {
        checkEvent(events[i], i ? &events[i - 1] : nullptr);
        reported.insert(reported.end(), events[i].bytes.begin(), events[i].bytes.end());
    }
    FUZZ_CHECK(reported.size() + parser.pendingCount() == size);
    FUZZ_CHECK(std::equal(reported.begin(), reported.end(), data));
    static SessionPath session;
    session.run(data, size, events);
    return 0;
}
