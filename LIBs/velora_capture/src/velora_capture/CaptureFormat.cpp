#include <velora_capture/CaptureFormat.h>

#include <velora_listener/ProtocolParser.h>
#include <velora_protocol/Addresses.h>
#include <velora_protocol/Crc16.h>
#include <velora_protocol/FrameBytes.h>

namespace velora_capture {

namespace {

using velora_listener::ProtocolParser;

bool crcOk(const std::uint8_t* bytes, std::size_t size) {
    return velora_protocol::crc16(bytes, size) == 0;
}

bool oneByte(std::size_t size, int address) {
    return size == 1 && velora_protocol::isPolledAddress(address);
}

} // namespace

std::string recordProblem(int type, int address, const std::uint8_t* bytes, std::size_t size) {
    bool ok = false;
    switch (type) {
    case mtQuery:
        ok = oneByte(size, address) && bytes[0] == address;
        break;
    case mtShortAnswer:
        ok = oneByte(size, address) && ProtocolParser::isShortAnswer(bytes[0]);
        break;
    case mtLongAnswer:
        ok = size == ProtocolParser::kLongAnswerLength &&
             ProtocolParser::isLongAnswerHeader(bytes[0]) && bytes[1] == address &&
             crcOk(bytes, size);
        break;
    case mtLongAnswerAck:
        ok = oneByte(size, address) && bytes[0] == ProtocolParser::kLongAnswerAck;
        break;
    case mtCommand:
        ok = size == ProtocolParser::kCommandLength &&
             (bytes[0] & velora_protocol::kCommandMark) != 0 &&
             (bytes[0] & velora_protocol::kAddressMask) == address && crcOk(bytes, size);
        break;
    case mtCommandAck:
        ok = oneByte(size, address) && bytes[0] == ProtocolParser::kCommandAck;
        break;
    case mtTrash:
        ok = address == 0 && size >= 1 && size <= ProtocolParser::kTrashPiece;
        break;
    default:
        return "неизвестный тип сообщения " + std::to_string(type);
    }
    if (ok) {
        return {};
    }
    return "заголовок (тип " + std::to_string(type) + ", адрес " + std::to_string(address) +
           ") не соответствует байтам записи";
}

} // namespace velora_capture
