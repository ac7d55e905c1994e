#pragma once

#include <velora_listener/ParserEventListener.h>
#include <velora_protocol/Frame.h>

#include <QObject>
#include <QTimer>

#include <mutex>
#include <vector>

Q_DECLARE_METATYPE(std::vector<velora_protocol::Frame>)

// Hands every frame of the parser from the reader thread to the user-interface thread in
// batches: the reader adds to an inbox, a timer takes it whole and emits it once. Every
// report is also passed on to `next` (the event listener with its filter and signals).
class FrameFeed : public QObject, public velora_listener::ParserEventListener {
    Q_OBJECT
public:
    // Four batches a second: the log still looks live, and painting (which costs far more
    // than decoding) happens four times a second, not once per frame.
    static constexpr int kIntervalMs = 250;

    explicit FrameFeed(velora_listener::ParserEventListener* next, QObject* parent = nullptr);

    // Reader thread.
    void onFrame(const velora_protocol::Frame& frame) override;
    void onConnectionLost() override;

    // Emits what has come in so far, now.
    void deliver();

signals:
    void framesReceived(const std::vector<velora_protocol::Frame>& frames);

private:
    velora_listener::ParserEventListener* next;
    std::mutex mutex;
    std::vector<velora_protocol::Frame> inbox;
    std::vector<velora_protocol::Frame> batch;
    QTimer timer;
};
