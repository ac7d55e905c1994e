#include <velora_session/SpillWriter.h>

SpillWriter::~SpillWriter() {
    close();
}

void SpillWriter::start(const std::string& path) {
    close();
    outbox.clear();
    std::lock_guard<std::mutex> lock(mutex);
    queue.clear();
    offsets.clear();
    flushesAsked = flushesDone = 0;
    stopping = false;
    broken = false;
    error.clear();
    thread = std::thread([this, path] { run(path); });
}

void SpillWriter::post() {
    if (outbox.empty()) {
        return;
    }
    bool first = false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        first = queue.empty();
        if (first) {
            queue.swap(outbox);
        } else {
            queue.insert(queue.end(), outbox.begin(), outbox.end());
        }
    }
    outbox.clear();
    if (first) {
        wake.notify_one();
    }
}

void SpillWriter::write(const velora_protocol::Frame& frame) {
    if (!failed()) {
        outbox.push_back({frame, Step::Frame});
        if (outbox.size() >= kPostEvery) {
            post();
        }
    }
}

void SpillWriter::mark() {
    outbox.push_back({velora_protocol::Frame{}, Step::Mark});
    post();
}

std::size_t SpillWriter::marksReached() const {
    std::lock_guard<std::mutex> lock(mutex);
    return offsets.size();
}

std::uint64_t SpillWriter::markOffset(std::size_t mark) const {
    std::lock_guard<std::mutex> lock(mutex);
    return offsets.at(mark);
}

std::string SpillWriter::errorText() const {
    std::lock_guard<std::mutex> lock(mutex);
    return error;
}

void SpillWriter::drain() {
    if (!thread.joinable()) {
        return;
    }
    std::uint64_t ticket = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        ticket = ++flushesAsked;
    }
    outbox.push_back({velora_protocol::Frame{}, Step::Flush});
    post();
    std::unique_lock<std::mutex> lock(mutex);
    flushed.wait(lock, [&] { return flushesDone >= ticket; });
}

void SpillWriter::close() {
    if (!thread.joinable()) {
        return;
    }
    post();
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_one();
    thread.join();
}

bool SpillWriter::put(velora_capture::CaptureWriter& writer, const velora_protocol::Frame& frame) {
    return writer.write(frame);
}

void SpillWriter::fail() {
    std::lock_guard<std::mutex> lock(mutex);
    error = file.errorText();
    broken = true;
}

void SpillWriter::perform(const Item& item) {
    if (item.step == Step::Frame) {
        if (!failed() && !put(file, item.frame)) {
            fail();
        }
        return;
    }
    if (!failed() && !file.flush()) {
        fail();
    }
    std::lock_guard<std::mutex> lock(mutex);
    if (item.step == Step::Flush) {
        ++flushesDone;
        flushed.notify_all();
    } else if (!failed()) {
        offsets.push_back(file.size());
    }
}

// Takes the queue whole, writes it, and so on until close() with the queue empty.
void SpillWriter::run(const std::string& path) {
    if (!file.open(path)) {
        fail();
    }
    std::vector<Item> batch;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait(lock, [this] { return !queue.empty() || stopping; });
            if (queue.empty()) {
                break;
            }
            batch.swap(queue);
        }
        for (const Item& item : batch) {
            perform(item);
        }
        batch.clear();
    }
    if (file.isOpen() && !file.close() && !failed()) {
        fail();
    }
}
