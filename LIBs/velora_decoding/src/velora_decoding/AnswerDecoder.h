#pragma once

#include <velora_protocol/newp/Answer.h>

#include <string>

// Turns a long answer into one line of text: the device's flags, the states of its two
// loops and two lines, its outputs, supply voltage and active group commands.
class AnswerDecoder : public velora_protocol::newp::Answer {
public:
    // Bytes missing from a short sequence read as 0.
    explicit AnswerDecoder(const std::vector<std::uint8_t>& bytes)
        : Answer(bytes) {}
    ~AnswerDecoder() override = default;

    std::wstring text() const;

private:
    const wchar_t* loopState(int index) const;
    const wchar_t* lineState(velora_protocol::newp::BitPosition triggered,
                             velora_protocol::newp::BitPosition fault,
                             velora_protocol::newp::BitPosition norm) const;
};
