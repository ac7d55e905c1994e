#include <FrameTap.h>

FrameTap::FrameTap(velora_listener::ParserEventListener* next, QObject* parent)
    : QObject(parent)
    , next(next) {}

void FrameTap::onFrame(const velora_protocol::Frame& frame) {
    next->onFrame(frame);
    bool first = false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        first = pending.empty();
        pending.push_back(frame);
    }
    if (first) {
        QMetaObject::invokeMethod(this, "deliver", Qt::QueuedConnection);
    }
}

void FrameTap::onConnectionLost() {
    next->onConnectionLost();
}

void FrameTap::deliver() {
    batch.clear();
    {
        std::lock_guard<std::mutex> lock(mutex);
        pending.swap(batch);
    }
    emit framesArrived(batch);
}
