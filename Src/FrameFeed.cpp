#include <FrameFeed.h>

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
