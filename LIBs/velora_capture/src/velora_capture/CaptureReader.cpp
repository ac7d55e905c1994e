#include <velora_capture/CaptureFormat.h>
#include <velora_capture/CaptureReader.h>

#include <rs485/SystemReason.h>
#include <velora_capture/Os.h>
#include <velora_listener/ProtocolParser.h>
#include <velora_protocol/LineSpeed.h>

#include <pcap/pcap.h>

#include <cerrno>

namespace velora_capture {

namespace {

using rs485::withSystemReason;

// A sentence of ours with libpcap's own words, in English, on a line of their own.
std::string withLibpcapReason(const std::string& text, const std::string& reason) {
    return text + "\nСообщение библиотеки libpcap: " + reason;
}

constexpr std::size_t kRawBlock = 1 << 16;

bool isCaptureMagic(const std::uint8_t* m) {
    const std::uint32_t le = m[0] | m[1] << 8 | m[2] << 16 | static_cast<std::uint32_t>(m[3]) << 24;
    switch (le) {
    case 0xA1B2C3D4: // pcap, microseconds
    case 0xD4C3B2A1:
    case 0xA1B23C4D: // pcap, nanoseconds
    case 0x4D3CB2A1:
    case 0x0A0D0D0A: // pcapng section header block
        return true;
    default:
        return false;
    }
}

std::string linkTypeName(int type) {
    const char* name = pcap_datalink_val_to_name(type);
    return std::to_string(type) + (name ? std::string(" (") + name + ")" : std::string());
}

} // namespace

CaptureReader::~CaptureReader() {
    if (handle) {
        pcap_close(handle);
    } else if (file && file != os::standardInput()) {
        std::fclose(file);
    }
}

bool CaptureReader::open(const std::string& filePath) {
    path = filePath;
    if (path != "-" && os::isDirectory(path)) {
        error = path + " — это каталог, а не файл записи";
        return false;
    }
    file = path == "-" ? os::standardInput() : os::openFile(path, "rb");
    if (!file) {
        error = errno == ENOENT ? "Файл " + path + " не найден."
                                : withSystemReason("Не удалось открыть файл " + path + ".",
                                                   rs485::lastSystemReason());
        return false;
    }
    buffer.resize(kRawBlock);
    prefix = std::fread(buffer.data(), 1, 4, file);
    if (std::ferror(file)) {
        error = withSystemReason("Ошибка чтения " + path + ".", rs485::lastSystemReason());
        return false;
    }
    if (prefix < 4 || !isCaptureMagic(buffer.data())) {
        fileFormat = Format::Raw;
        return true;
    }
    fileFormat = Format::Pcap;
    char errorBuffer[PCAP_ERRBUF_SIZE] = {};
    std::FILE* input = file;
    file = nullptr; // libpcap owns it now
    handle = os::readCapture(input, buffer.data(), prefix, errorBuffer);
    if (!handle) {
        error = withLibpcapReason("Файл " + path + " повреждён: его заголовок не читается.",
                                  errorBuffer);
        return false;
    }
    if (pcap_datalink(handle) != kLinkType) {
        error = "Файл " + path + " — запись другого канала: тип " +
                linkTypeName(pcap_datalink(handle)) + ", ожидается " + linkTypeName(kLinkType);
        return false;
    }
    return true;
}

bool CaptureReader::seek(std::uint64_t offset) {
    if (fileFormat != Format::Pcap) {
        return false;
    }
    std::FILE* stream = pcap_file(handle);
    return stream && fseeko(stream, static_cast<off_t>(offset), SEEK_SET) == 0;
}

void CaptureReader::setRawTimesFromFile() {
    std::int64_t end = 0;
    std::uint64_t size = 0;
    if (path == "-" || !os::regularFileTimes(path, end, size)) {
        rawTime = velora_protocol::Timestamp::now();
        return;
    }
    rawTime = velora_protocol::Timestamp::recorded(end - static_cast<std::int64_t>(size) *
                                                             velora_protocol::characterTimeNs());
}

bool CaptureReader::next(Piece& piece) {
    return fileFormat == Format::Pcap ? nextRecord(piece) : nextRawBlock(piece);
}

void CaptureReader::noteProblem(const std::string& text) {
    if (problems++ == 0) {
        firstProblem = text;
    }
}

bool CaptureReader::nextRecord(Piece& piece) {
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    const int result = pcap_next_ex(handle, &header, &data);
    if (result == PCAP_ERROR_BREAK) {
        return false;
    }
    if (result != 1) {
        // libpcap says "truncated dump file" for a record cut short.
        noteProblem(withLibpcapReason(
            "запись оборвана после " + std::to_string(records) + " кадров.", pcap_geterr(handle)));
        return false;
    }
    ++records;
    const std::string where = "кадр " + std::to_string(records) + ": ";
    if (header->caplen < kHeaderSize) {
        noteProblem(where + "нет заголовка");
        piece = Piece{};
        return true;
    }
    piece.type = static_cast<MessageType>(data[0]);
    piece.address = data[1];
    piece.data = data + kHeaderSize;
    piece.size = header->caplen - kHeaderSize;
    piece.time = velora_protocol::Timestamp::recorded(
        static_cast<std::int64_t>(header->ts.tv_sec) * 1'000'000'000 + header->ts.tv_usec);
    if (header->caplen > kMaxRecordSize) {
        noteProblem(where + "длиннее любого кадра (" + std::to_string(piece.size) + " байт)");
    } else if (header->caplen < header->len) {
        noteProblem(where + "обрезан при записи");
    } else if (const std::string p = recordProblem(data[0], data[1], piece.data, piece.size);
               !p.empty()) {
        noteProblem(where + p);
    }
    return true;
}

bool CaptureReader::nextRawBlock(Piece& piece) {
    std::size_t n = prefix;
    prefix = 0;
    if (n == 0) {
        n = std::fread(buffer.data(), 1, buffer.size(), file);
        if (n == 0) {
            if (std::ferror(file)) {
                readFailed = true;
                error = withSystemReason("Ошибка чтения " + path + ".", rs485::lastSystemReason());
            }
            return false;
        }
    }
    piece = Piece{};
    piece.data = buffer.data();
    piece.size = n;
    piece.time = rawTime;
    if (rawTime.known()) {
        const std::int64_t span = static_cast<std::int64_t>(n) * velora_protocol::characterTimeNs();
        rawTime.wallNs += span;
        rawTime.steadyNs += span;
    }
    return true;
}

void feedParser(velora_listener::ProtocolParser& parser, const Piece& piece) {
    velora_protocol::Timestamp time = piece.time;
    const bool timed = time.known();
    for (std::size_t i = 0; i < piece.size; ++i) {
        parser.feed(piece.data[i], time);
        if (timed) {
            time.wallNs += velora_protocol::characterTimeNs();
            time.steadyNs += velora_protocol::characterTimeNs();
        }
    }
}

} // namespace velora_capture
