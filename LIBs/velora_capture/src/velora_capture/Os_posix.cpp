#include <velora_capture/Os.h>

#include <pcap/pcap.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <stdio_ext.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velora_capture::os {

namespace {

// The bytes read to learn the format, then the rest of the input: libpcap reads a pipe
// from its start.
struct Rewound {
    std::FILE* input;
    std::uint8_t head[4];
    std::size_t headSize;
    std::size_t headRead;
};

ssize_t readRewound(void* cookie, char* out, std::size_t size) {
    auto* r = static_cast<Rewound*>(cookie);
    if (r->headRead < r->headSize) {
        std::size_t n = std::min(size, r->headSize - r->headRead);
        std::memcpy(out, r->head + r->headRead, n);
        r->headRead += n;
        return static_cast<ssize_t>(n);
    }
    const std::size_t n = std::fread(out, 1, size, r->input);
    return n == 0 && std::ferror(r->input) ? -1 : static_cast<ssize_t>(n);
}

// Seeking goes to the file itself; the bytes read for the magic number are behind it.
int seekRewound(void* cookie, off64_t* offset, int whence) {
    auto* r = static_cast<Rewound*>(cookie);
    if (r->input == stdin || fseeko(r->input, *offset, whence) != 0) {
        return -1;
    }
    r->headRead = r->headSize;
    *offset = ftello(r->input);
    return 0;
}

int closeRewound(void* cookie) {
    auto* r = static_cast<Rewound*>(cookie);
    const int result = r->input == stdin ? 0 : std::fclose(r->input);
    delete r;
    return result;
}

} // namespace

std::FILE* openFile(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

std::FILE* duplicateStandardOutput() {
    const int out = ::dup(STDOUT_FILENO);
    std::FILE* file = out >= 0 ? ::fdopen(out, "wb") : nullptr;
    if (!file && out >= 0) {
        ::close(out);
    }
    return file;
}

std::FILE* standardInput() {
    return stdin;
}

bool isDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool regularFileTimes(const std::string& path, std::int64_t& modifiedNs, std::uint64_t& size) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    modifiedNs =
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

pcap* readCapture(std::FILE* input, const std::uint8_t* head, std::size_t size, char* errorBuffer) {
    auto* rewound = new Rewound{input, {}, std::min(size, sizeof Rewound::head), 0};
    std::memcpy(rewound->head, head, rewound->headSize);
    std::FILE* stream =
        fopencookie(rewound, "rb", {readRewound, nullptr, seekRewound, closeRewound});
    if (!stream) {
        std::snprintf(errorBuffer, PCAP_ERRBUF_SIZE, "%s", std::strerror(errno));
        closeRewound(rewound);
        return nullptr;
    }
    pcap* handle =
        pcap_fopen_offline_with_tstamp_precision(stream, PCAP_TSTAMP_PRECISION_NANO, errorBuffer);
    if (!handle) {
        std::fclose(stream);
    }
    return handle;
}

pcap_dumper* writeCapture(pcap* dead, std::FILE* output) {
    return pcap_dump_fopen(dead, output);
}

void discardUnflushed(std::FILE* file, std::uint64_t keep) {
    __fpurge(file);
    // A pipe cannot be cut; its reader sees the end.
    (void)!::ftruncate(fileno(file), static_cast<off_t>(keep));
}

bool readerGone(std::FILE* file) {
    pollfd out{fileno(file), POLLOUT, 0};
    return ::poll(&out, 1, 0) == 1 && (out.revents & (POLLERR | POLLHUP)) != 0;
}

void catchStopRequests(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace velora_capture::os
