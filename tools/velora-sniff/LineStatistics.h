#pragma once

#include <velora_listener/ParserEventListener.h>

#include <array>
#include <cstdint>
#include <ostream>

// Counts every frame the parser reports, whatever the filters show, and passes each
// report on to the next listener. Read the counts only when no reader runs.
class LineStatistics : public velora_listener::ParserEventListener {
public:
    explicit LineStatistics(velora_listener::ParserEventListener* next);

    void onQuery(int address) override;
    void onShortAnswer(int address, int answerByte) override;
    void onLongAnswer(int address, const std::vector<std::uint8_t>& bytes) override;
    void onLongAnswerAck(int address, int ackByte) override;
    void onCommand(int address, const std::vector<std::uint8_t>& bytes) override;
    void onCommandAck(int address, int ackByte) override;
    void onTrash(const std::vector<std::uint8_t>& bytes) override;
    void onConnectionLost() override;

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

    velora_listener::ParserEventListener* next;
    std::array<Counts, 128> perAddress{};
    std::uint64_t trashBytes = 0;
};
