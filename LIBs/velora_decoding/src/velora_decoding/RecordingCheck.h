#pragma once

#include <velora_protocol/Frame.h>

#include <cstdint>
#include <string>

namespace velora_decoding {

// Whether a raw recording holds a line of ours. Fed every frame decoded from it, it names
// a file whose bytes read as text, hold no frame with a valid checksum or are mostly trash.
class RecordingCheck {
public:
    void add(const velora_protocol::Frame& frame);
    // Empty when the bytes look like a line; else a sentence in Russian, beginning
    // "файл не похож на запись линии «Velora»".
    std::string doubt() const;

private:
    std::uint64_t bytes = 0;
    std::uint64_t trashBytes = 0;
    std::uint64_t textBytes = 0;
    std::uint64_t checkedFrames = 0;
};

} // namespace velora_decoding
