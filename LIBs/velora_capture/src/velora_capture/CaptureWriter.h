#pragma once

#include <velora_protocol/Frame.h>

#include <cstdint>
#include <cstdio>
#include <string>

struct pcap;
struct pcap_dumper;

namespace velora_capture {

// Writes frames as a pcap capture through libpcap (see CaptureFormat.h). Every record
// that flush() has reported written stays in the file, whatever fails later: after a
// failed write (a full disk) the file is cut back to its last whole record.
class CaptureWriter {
public:
    CaptureWriter() = default;
    ~CaptureWriter();

    CaptureWriter(const CaptureWriter&) = delete;
    CaptureWriter& operator=(const CaptureWriter&) = delete;

    // "-" writes to standard output. Replaces an existing file.
    bool open(const std::string& path);
    bool isOpen() const { return dumper != nullptr; }
    // Frames without a known time are stored at time 0.
    bool write(const velora_protocol::Frame& frame);
    // Hands the records written so far to the system; false after a write error, or when
    // the capture goes into a pipe or fifo whose reader has closed its end.
    bool flush();
    // Flushes and closes; false if any write failed.
    bool close();

    // File header and records so far, in bytes.
    std::uint64_t size() const { return written; }
    const std::string& path() const { return filePath; }
    // Why the last call failed.
    const std::string& errorText() const { return error; }

private:
    bool readerGone() const;
    bool fail(const std::string& what);

    pcap* dead = nullptr;
    pcap_dumper* dumper = nullptr;
    std::FILE* file = nullptr;
    std::string filePath;
    std::string error;
    std::uint64_t written = 0;
    std::uint64_t flushed = 0;
    bool failed = false;
};

} // namespace velora_capture
