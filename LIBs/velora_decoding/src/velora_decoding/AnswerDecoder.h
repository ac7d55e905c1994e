#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Turns a long answer into one line of text: the device's flags, the states of its two
// loops and two lines, its outputs, supply voltage and active group commands.
class AnswerDecoder {
public:
    // Bytes missing from a short sequence read as 0.
    explicit AnswerDecoder(std::vector<std::uint8_t> bytes)
        : bytes(std::move(bytes)) {}

    std::wstring text() const;

private:
    std::vector<std::uint8_t> bytes;
};

namespace velora_decoding {

// The text of an answer with data of `size` bytes; bytes beyond read as 0.
std::wstring answerText(const std::uint8_t* bytes, std::size_t size);

} // namespace velora_decoding
