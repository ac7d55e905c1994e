#pragma once

#include <velora_listener/ParserEventListener.h>
#include <velora_protocol/Frame.h>

#include <QObject>

#include <mutex>
#include <vector>

// Stands between the parser and the event listener: hands every frame on to the event
// listener unchanged and collects a copy of every frame, whatever the filter shows, for
// the user-interface thread, which takes them in batches (one queued call per batch).
class FrameTap : public QObject, public velora_listener::ParserEventListener {
    Q_OBJECT
public:
    explicit FrameTap(velora_listener::ParserEventListener* next, QObject* parent = nullptr);

    // Reader thread.
    void onFrame(const velora_protocol::Frame& frame) override;
    void onConnectionLost() override;

signals:
    // User-interface thread: the frames since the last batch, in line order.
    void framesArrived(const std::vector<velora_protocol::Frame>& frames);

private:
    Q_INVOKABLE void deliver();

    velora_listener::ParserEventListener* next;
    std::mutex mutex;
    std::vector<velora_protocol::Frame> pending;
    std::vector<velora_protocol::Frame> batch;
};
