#pragma once

#include <velora_protocol/Frame.h>

#include <array>
#include <cstdint>
#include <ostream>

// Counts every frame the parser reports, whatever the filters show.
class LineStatistics {
public:
    void add(const velora_protocol::Frame& frame);

    // One row per address that occurs, the addresses polled that never answered, and
    // the number of trash bytes.
    void printTable(std::ostream& out) const;

private:
    struct Counts {
        std::uint64_t polls = 0;
        std::uint64_t shortAnswers = 0;
        std::uint64_t longAnswers = 0;
        std::uint64_t commands = 0;
        std::uint64_t acknowledgements = 0;
    };
    Counts& at(int address);

    std::array<Counts, 128> perAddress{};
    std::uint64_t trashBytes = 0;
};
