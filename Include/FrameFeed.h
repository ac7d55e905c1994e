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
    // While a batch a quarter of a second apart would bring more rows than the log shows at
    // once, every paint shows only rows nobody has had time to read: the batches come once a
    // second then, until the line calms down.
    static constexpr int kCrowdedIntervalMs = 1000;

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
    // Sets the pace from the rows the last batch added to the log and the rows it shows.
    void paceFor(std::uint64_t rowsAdded, int rowsOnScreen);
    int intervalMs() const { return timer.interval(); }

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
