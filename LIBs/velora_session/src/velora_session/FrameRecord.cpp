#include <velora_session/FrameRecord.h>

#include <algorithm>
#include <limits>

FrameRecord FrameRecord::of(const velora_protocol::Frame& frame) {
    FrameRecord record;
    record.wallNs = frame.times.first.wallNs;
    const std::int64_t span = frame.times.last.wallNs - frame.times.first.wallNs;
    record.spanNs = static_cast<std::uint32_t>(
        std::clamp<std::int64_t>(span, 0, std::numeric_limits<std::uint32_t>::max()));
    record.type = static_cast<std::uint8_t>(frame.type);
    record.address = frame.address;
    record.size = frame.size;
    std::copy(frame.begin(), frame.end(), record.data);
    return record;
}

FrameRecord FrameRecord::gap(std::int64_t startNs) {
    FrameRecord record;
    record.wallNs = startNs;
    return record;
}

velora_protocol::Frame FrameRecord::frame() const {
    const auto first = velora_protocol::Timestamp::recorded(wallNs);
    const auto last = velora_protocol::Timestamp::recorded(lastNs());
    return velora_protocol::Frame::of(static_cast<MessageType>(type), address, begin(), end(),
                                      {first, last});
}
