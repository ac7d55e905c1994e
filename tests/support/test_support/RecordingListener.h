#pragma once

#include <velora_traffic/TrafficGenerator.h>

#include <velora_listener/ParserEventListener.h>

#include <atomic>
#include <mutex>
#include <vector>

namespace velora_traffic {

// Keeps every parser callback as an Event, in call order.
class RecordingListener : public velora_listener::ParserEventListener {
public:
    void onQuery(int address) override { add(mtQuery, address, {byteOf(address)}); }
    void onShortAnswer(int address, int answerByte) override {
        add(mtShortAnswer, address, {byteOf(answerByte)});
    }
    void onLongAnswer(int address, const std::vector<std::uint8_t>& bytes) override {
        add(mtLongAnswer, address, bytes);
    }
    void onLongAnswerAck(int address, int ackByte) override {
        add(mtLongAnswerAck, address, {byteOf(ackByte)});
    }
    void onCommand(int address, const std::vector<std::uint8_t>& bytes) override {
        add(mtCommand, address, bytes);
    }
    void onCommandAck(int address, int ackByte) override {
        add(mtCommandAck, address, {byteOf(ackByte)});
    }
    void onTrash(const std::vector<std::uint8_t>& bytes) override { add(mtTrash, 0, bytes); }
    void onConnectionLost() override { ++connectionLost; }

    // The events so far; safe while a reader thread still calls back.
    std::vector<Event> snapshot() const {
        std::lock_guard<std::mutex> lock(mutex);
        return events;
    }

    std::atomic<int> connectionLost{0};

private:
    static std::uint8_t byteOf(int value) { return static_cast<std::uint8_t>(value); }
    void add(int type, int address, std::vector<std::uint8_t> bytes) {
        std::lock_guard<std::mutex> lock(mutex);
        events.push_back({type, address, std::move(bytes)});
    }

    mutable std::mutex mutex;
    std::vector<Event> events;
};

} // namespace velora_traffic
