#pragma once

#include <velora_protocol/Frame.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Decodes a capture (pcap or pcapng) or a raw recording of the line into the session at full
// speed, with the recorded times. A raw recording's bytes follow one another at the line's
// pace, ending when the file was last written.
class CaptureLoader {
public:
    // Hands over whatever it can read, in batches of frames. False when the file could not be
    // opened at all or the read broke off; problem() then says why. A damaged but readable file is
    // loaded and named by problem() too.
    using Batch = std::function<void(const std::vector<velora_protocol::Frame>&)>;
    // Hears after each batch about how many bytes of the file are read; false from it stops
    // the reading there, with what was read kept (cancelled() then tells).
    using Progress = std::function<bool(std::uint64_t bytesRead)>;
    bool load(const std::string& path, const Batch& onFrames, const Progress& progress = {});
    bool cancelled() const { return stopped; }
    const std::string& problem() const { return problemText; }
    // For a raw recording whose bytes do not look like our line: why, beginning
    // "файл не похож на запись линии «Velora»"; else empty.
    const std::string& doubt() const { return doubtText; }
    // The bytes the capture ends with that no frame took (a frame cut off by the end), as
    // pieces of trash: not frames of the session, but a save of it ends with them.
    const std::vector<velora_protocol::Frame>& unfinished() const { return unfinishedFrames; }

private:
    // Bytes of a pcap record besides the frame: 16 of libpcap's, 2 of ours.
    static constexpr std::uint64_t kRecordOverhead = 18;

    std::string problemText;
    std::string doubtText;
    std::vector<velora_protocol::Frame> unfinishedFrames;
    bool stopped = false;
};
