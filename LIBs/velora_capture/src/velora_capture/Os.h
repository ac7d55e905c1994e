#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

struct pcap;
struct pcap_dumper;

// What reading and writing captures asks of the operating system; one file per platform.
namespace velora_capture::os {

// Opens a file named by a UTF-8 path, in binary mode; nullptr with errno set on failure.
std::FILE* openFile(const std::string& path, const char* mode);
// Standard output as a stream of its own, in binary mode: closing it leaves the process's
// standard output alone.
std::FILE* duplicateStandardOutput();
// Standard input, in binary mode.
std::FILE* standardInput();

bool isDirectory(const std::string& path);
// The time of the last change of a regular file, in ns since 1970, and its size; false when
// the path names no regular file.
bool regularFileTimes(const std::string& path, std::int64_t& modifiedNs, std::uint64_t& size);

// libpcap reading a capture from `input`, whose first `size` bytes (at most 4) were already
// read into `head`: it reads from the start. Takes `input` over, also on failure; nullptr
// with the reason in `errorBuffer` (PCAP_ERRBUF_SIZE bytes) on failure.
pcap* readCapture(std::FILE* input, const std::uint8_t* head, std::size_t size, char* errorBuffer);
// libpcap writing a capture into `output`, which it takes over on success.
pcap_dumper* writeCapture(pcap* dead, std::FILE* output);

// After a failed write: drops what the stream still buffers and cuts the file to `keep`
// bytes, so that it ends with a whole record.
void discardUnflushed(std::FILE* file, std::uint64_t keep);
// Whether the reader at the other end of a pipe has gone, asked without writing.
bool readerGone(std::FILE* file);

// Calls `handler` when the user asks the program to stop (Ctrl+C; SIGTERM where there are
// signals). Blocking reads return instead of restarting.
void catchStopRequests(void (*handler)(int));

} // namespace velora_capture::os
