#pragma once

#include <velora_capture/CaptureWriter.h>
#include <velora_protocol/Frame.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Writes the frames of a session to its capture file on a thread of its own, so that a disk
// that stalls holds up no one: the frames wait in memory until the disk takes them, and none
// is lost. A mark, queued between frames, tells where the next frame starts in the file once
// everything before it is flushed.
class SpillWriter {
public:
    SpillWriter() = default;
    virtual ~SpillWriter();

    SpillWriter(const SpillWriter&) = delete;
    SpillWriter& operator=(const SpillWriter&) = delete;

    // Starts the thread, which creates the file at `path` and writes what comes.
    void start(const std::string& path);
    void write(const velora_protocol::Frame& frame);
    // Queues the next mark (numbered from 0).
    void mark();
    // How many marks the file has reached: every frame queued before them is in the file.
    std::size_t marksReached() const;
    // Where the frame after a reached mark starts in the file.
    std::uint64_t markOffset(std::size_t mark) const;
    // Waits until every frame queued so far is written and flushed.
    void drain();
    // Drains, closes the file and ends the thread.
    void close();

    // The file took no more frames (or could not be created); from then on frames and marks
    // are dropped. errorText() says why.
    bool failed() const { return broken.load(std::memory_order_acquire); }
    std::string errorText() const;

protected:
    // Writes one frame on the writer's thread.
    virtual bool put(velora_capture::CaptureWriter& file, const velora_protocol::Frame& frame);

private:
    enum class Step : std::uint8_t { Frame, Mark, Flush };
    struct Item {
        velora_protocol::Frame frame;
        Step step = Step::Frame;
    };

    // Hands what write() and mark() gathered to the thread.
    void post();
    void run(const std::string& path);
    void perform(const Item& item);
    void fail();

    // Gathered by the caller and handed over a few hundred at a time, so that the lock is
    // taken once per batch, not once per frame.
    static constexpr std::size_t kPostEvery = 256;
    std::vector<Item> outbox;

    mutable std::mutex mutex;
    std::condition_variable wake;    // the thread: there is work
    std::condition_variable flushed; // drain(): a flush is done
    std::vector<Item> queue;
    std::vector<std::uint64_t> offsets; // of the reached marks
    std::uint64_t flushesAsked = 0;
    std::uint64_t flushesDone = 0;
    bool stopping = false;
    std::atomic<bool> broken{false};
    std::string error;
    std::thread thread;
    velora_capture::CaptureWriter file; // the thread's alone
};
