#pragma once

#include <velora_session/FrameInbox.h>

#include <rs485/ErrorCounts.h>
#include <velora_listener/VeloraListener.h>

#include <QObject>
#include <QTimer>

#include <mutex>
#include <optional>
#include <vector>

Q_DECLARE_METATYPE(std::vector<velora_protocol::Frame>)

// The inbox of the parser's frames, emptied on the user-interface thread: a timer takes it
// whole and emits it once, with the converter's newest error counts. A lost converter is
// signalled from the reader thread.
class FrameFeed : public QObject, public FrameInbox {
    Q_OBJECT
public:
    // Four batches a second: the log still looks live, and painting (which costs far more
    // than decoding) happens four times a second, not once per frame.
    static constexpr int kIntervalMs = 250;

    explicit FrameFeed(QObject* parent = nullptr);

    // Reader thread.
    void onConnectionLost() override;
    void onErrorCounts(const rs485::ErrorCounts& counts) override;

    // Emits what has come in so far, now.
    void deliver();
    // Emits the frames the line's reader handed over up to this moment and returns what its
    // parser holds of an unfinished frame at the same moment, as endOfStream() would hand
    // it over; the parser goes on. Empty when no reader reads.
    std::vector<velora_protocol::Frame> deliverUnfinished(velora_listener::VeloraListener& line);

signals:
    void framesReceived(const std::vector<velora_protocol::Frame>& frames);
    void connectionLost();
    void errorCountsRead(const rs485::ErrorCounts& counts);

private:
    std::vector<velora_protocol::Frame> batch;
    QTimer timer;
    std::mutex countsLock;
    std::optional<rs485::ErrorCounts> newCounts;
};
