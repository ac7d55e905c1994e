#pragma once

#include <velora_protocol/AbstractFrame.h>

#include <cstddef>

namespace velora_protocol {

// An answer frame of Length line characters.
template <std::size_t Length>
class TAnswer : public rs485::AbstractFrame {
public:
    static constexpr std::size_t kLength = Length;

    using rs485::AbstractFrame::AbstractFrame;
    ~TAnswer() override = default;
};

} // namespace velora_protocol
