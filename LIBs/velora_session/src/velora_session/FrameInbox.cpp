#include <velora_session/FrameInbox.h>

void FrameInbox::onFrame(const velora_protocol::Frame& frame) {
    std::lock_guard<std::mutex> lock(mutex);
    inbox.push_back(frame);
}

void FrameInbox::take(std::vector<velora_protocol::Frame>& frames) {
    frames.clear();
    std::lock_guard<std::mutex> lock(mutex);
    inbox.swap(frames);
}
