#include <velora_decoding/RecordingCheck.h>

namespace velora_decoding {

namespace {

bool isText(std::uint8_t byte) {
    return (byte >= 0x20 && byte < 0x7f) || byte == '\t' || byte == '\n' || byte == '\r';
}

} // namespace

void RecordingCheck::add(const velora_protocol::Frame& frame) {
    bytes += frame.size;
    for (const std::uint8_t byte : frame) {
        textBytes += isText(byte) ? 1 : 0;
    }
    if (frame.type == mtTrash) {
        trashBytes += frame.size;
    }
    // Answers with data and commands are the frames that carry a checksum.
    if (frame.type == mtLongAnswer || frame.type == mtCommand) {
        ++checkedFrames;
    }
}

std::string RecordingCheck::doubt() const {
    const std::string lead = "файл не похож на запись линии «Velora»: ";
    if (bytes == 0) {
        return std::string();
    }
    if (textBytes * 10 >= bytes * 9) {
        return lead + "в нём текст.";
    }
    if (trashBytes * 2 > bytes) {
        return lead + std::to_string(trashBytes * 100 / bytes) +
               " % байтов не складываются в кадры (другая скорость линии, перепутаны провода A "
               "и B или другой протокол).";
    }
    if (checkedFrames == 0) {
        return lead + "в нём нет ни одного кадра с верной контрольной суммой.";
    }
    return std::string();
}

} // namespace velora_decoding
