#include <velora_capture/CaptureFormat.h>
#include <velora_capture/CaptureWriter.h>

#include <rs485/SystemReason.h>
#include <velora_capture/Os.h>

#include <pcap/pcap.h>

#include <cerrno>
#include <cstring>

namespace velora_capture {

namespace {

// pcap file header and per-record header sizes.
constexpr std::uint64_t kFileHeaderSize = 24;
constexpr std::uint64_t kRecordHeaderSize = 16;

} // namespace

CaptureWriter::~CaptureWriter() {
    close();
}

bool CaptureWriter::fail(const std::string& what) {
    error = what;
    return false;
}

bool CaptureWriter::open(const std::string& path) {
    close();
    failed = false;
    error.clear();
    filePath = path;
    file = path == "-" ? os::duplicateStandardOutput() : os::openFile(path, "wb");
    if (!file) {
        return fail("Не удалось открыть файл " + path + ": " + rs485::lastSystemReason());
    }
    dead = pcap_open_dead_with_tstamp_precision(kLinkType, static_cast<int>(kMaxRecordSize),
                                                PCAP_TSTAMP_PRECISION_NANO);
    dumper = dead ? os::writeCapture(dead, file) : nullptr;
    if (!dumper) {
        const std::string reason = dead ? pcap_geterr(dead) : "pcap_open_dead";
        std::fclose(file);
        file = nullptr;
        if (dead) {
            pcap_close(dead);
            dead = nullptr;
        }
        return fail("Не удалось начать запись " + path + ": " + reason);
    }
    // libpcap may write through a stream of its own.
    file = pcap_dump_file(dumper);
    written = kFileHeaderSize;
    return flush();
}

bool CaptureWriter::write(const velora_protocol::Frame& frame) {
    if (!dumper || failed) {
        return false;
    }
    std::uint8_t record[kMaxRecordSize];
    record[0] = static_cast<std::uint8_t>(frame.type);
    record[1] = frame.address;
    std::memcpy(record + kHeaderSize, frame.data.data(), frame.size);
    const auto length = static_cast<bpf_u_int32>(kHeaderSize + frame.size);
    const std::int64_t ns = frame.times.first.wallNs;
    pcap_pkthdr header{};
    header.ts.tv_sec = static_cast<decltype(header.ts.tv_sec)>(ns / 1'000'000'000);
    // With nanosecond precision the dumper stores tv_usec as nanoseconds.
    header.ts.tv_usec = static_cast<decltype(header.ts.tv_usec)>(ns % 1'000'000'000);
    header.caplen = length;
    header.len = length;
    pcap_dump(reinterpret_cast<u_char*>(dumper), &header, record);
    written += kRecordHeaderSize + length;
    return true;
}

bool CaptureWriter::flush() {
    if (!dumper) {
        return false;
    }
    // A pipe whose reader has gone fails only once something is written; on a silent line
    // that may be never, so it is asked.
    const bool gone = readerGone();
    if (!failed && !gone && pcap_dump_flush(dumper) == 0 && std::ferror(file) == 0) {
        flushed = written;
        return true;
    }
    if (!failed) {
        failed = true;
        error = "Ошибка записи " + filePath + ": " +
                (gone ? std::strerror(EPIPE) : rs485::lastSystemReason());
        // A record cut by a full disk would damage the file: drop what is still buffered
        // and keep the whole records.
        os::discardUnflushed(file, flushed);
    }
    return false;
}

bool CaptureWriter::readerGone() const {
    return file && os::readerGone(file);
}

bool CaptureWriter::close() {
    if (!dumper) {
        return !failed;
    }
    const bool ok = flush();
    pcap_dump_close(dumper);
    pcap_close(dead);
    dumper = nullptr;
    dead = nullptr;
    file = nullptr;
    return ok;
}

} // namespace velora_capture
