#include <FrameFeed.h>

FrameFeed::FrameFeed(QObject* parent)
    : QObject(parent) {
    connect(&timer, &QTimer::timeout, this, &FrameFeed::deliver);
    timer.start(kIntervalMs);
}

void FrameFeed::onConnectionLost() {
    emit connectionLost();
}

void FrameFeed::deliver() {
    take(batch);
    if (!batch.empty()) {
        emit framesReceived(batch);
    }
}
