#pragma once

#include <velora_listener/ParserEventListener.h>
#include <velora_protocol/Frame.h>

#include <mutex>
#include <vector>

// Hands the parser's frames from the reader thread to another in batches: the reader adds
// to an inbox, the taker takes it whole.
class FrameInbox : public velora_listener::ParserEventListener {
public:
    // Reader thread.
    void onFrame(const velora_protocol::Frame& frame) override;
    // The session keeps every byte of the line: these become a piece of trash.
    void onUnfinished(const velora_protocol::Frame& bytes) override { onFrame(bytes); }

    // Swaps what has come in so far into `frames` (emptied first).
    void take(std::vector<velora_protocol::Frame>& frames);

private:
    std::mutex mutex;
    std::vector<velora_protocol::Frame> inbox;
};
