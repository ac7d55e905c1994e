#include <FrameFeed.h>

FrameFeed::FrameFeed(velora_listener::ParserEventListener* next, QObject* parent)
    : QObject(parent)
    , next(next) {
    connect(&timer, &QTimer::timeout, this, &FrameFeed::deliver);
    timer.start(kIntervalMs);
}

void FrameFeed::onFrame(const velora_protocol::Frame& frame) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        inbox.push_back(frame);
    }
    next->onFrame(frame);
}

void FrameFeed::onConnectionLost() {
    next->onConnectionLost();
}

void FrameFeed::deliver() {
    batch.clear();
    {
        std::lock_guard<std::mutex> lock(mutex);
        inbox.swap(batch);
    }
    if (!batch.empty()) {
        emit framesReceived(batch);
    }
}
