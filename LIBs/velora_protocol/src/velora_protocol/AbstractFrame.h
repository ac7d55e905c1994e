#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace rs485 {

// Base of all frames: the frame's characters, one 16-bit word per line character.
class AbstractFrame {
public:
    AbstractFrame() = default;
    explicit AbstractFrame(std::vector<std::uint16_t> words)
        : words(std::move(words)) {}
    virtual ~AbstractFrame() = default;

    const std::vector<std::uint16_t>& characters() const { return words; }

protected:
    std::vector<std::uint16_t> words;
};

} // namespace rs485
