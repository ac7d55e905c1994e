#include <FrameFeed.h>

#include <velora_listener/ProtocolParser.h>

#include <algorithm>

FrameFeed::FrameFeed(QObject* parent)
    : QObject(parent) {
    connect(&timer, &QTimer::timeout, this, &FrameFeed::deliver);
    timer.start(kIntervalMs);
}

void FrameFeed::onConnectionLost() {
    emit connectionLost();
}

void FrameFeed::onErrorCounts(const rs485::ErrorCounts& counts) {
    const std::lock_guard<std::mutex> hold(countsLock);
    newCounts = counts;
}

void FrameFeed::deliver() {
    take(batch);
    if (!batch.empty()) {
        emit framesReceived(batch);
    }
    std::optional<rs485::ErrorCounts> counts;
    {
        const std::lock_guard<std::mutex> hold(countsLock);
        counts.swap(newCounts);
    }
    if (counts) {
        emit errorCountsRead(*counts);
    }
}

std::vector<velora_protocol::Frame>
FrameFeed::deliverUnfinished(velora_listener::VeloraListener& line) {
    std::vector<velora_protocol::Frame> unfinished;
    // Taken on the reader thread between two reads: the frames before those bytes, no later.
    line.visitParser([this, &unfinished](const velora_listener::ProtocolParser& parser) {
        unfinished = parser.unfinished();
        take(batch);
    });
    if (!batch.empty()) {
        emit framesReceived(batch);
        batch.clear();
    }
    return unfinished;
}

void FrameFeed::paceFor(std::uint64_t rowsAdded, int rowsOnScreen) {
    const bool crowded = rowsAdded * std::uint64_t(kIntervalMs) >
                         std::uint64_t(std::max(rowsOnScreen, 1)) * std::uint64_t(timer.interval());
    const int interval = crowded ? kCrowdedIntervalMs : kIntervalMs;
    if (interval != timer.interval()) {
        timer.setInterval(interval);
    }
}
