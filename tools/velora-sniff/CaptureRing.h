#pragma once

#include <velora_capture/CaptureWriter.h>

#include <cstdint>
#include <deque>
#include <string>

// Where velora-sniff writes its capture: one file, or a ring of at most `files` files of
// at most `fileBytes` bytes each, named PATH-BASE_NNNNN_YYYYMMDDHHMMSS.EXT after their
// index and the local time of their first frame; the oldest is deleted when the ring is
// full, the files of an earlier run of the same ring included.
class CaptureRing {
public:
    // files == 0: a single file at `path` ("-": standard output).
    CaptureRing(std::string path, std::size_t files, std::uint64_t fileBytes);

    bool open();
    bool write(const velora_protocol::Frame& frame);
    // A ring has no file before its first frame: nothing to flush or close yet.
    bool flush() { return waitsForFirstFrame() || writer.flush(); }
    bool close() { return waitsForFirstFrame() || writer.close(); }
    const std::string& errorText() const { return writer.errorText(); }

private:
    bool waitsForFirstFrame() const { return files > 0 && !writer.isOpen(); }
    void adoptEarlierFiles();
    bool startFile(std::int64_t wallNs);

    velora_capture::CaptureWriter writer;
    std::string path;
    std::size_t files;
    std::uint64_t fileBytes;
    std::uint32_t index = 0;
    std::deque<std::string> kept;
};
