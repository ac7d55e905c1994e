#pragma once

#include <velora_protocol/MessageType.h>
#include <velora_protocol/Timestamp.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct pcap;

namespace velora_listener {
class ProtocolParser;
}

namespace velora_capture {

// A stretch of the line's bytes as a file stores it: one record of a capture, with its
// header and the time of its first byte, or a block of a raw recording.
struct Piece {
    MessageType type = mtTrash;
    int address = 0;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    // The first byte's time; unknown for a raw recording unless setRawTimesFromFile() gave
    // one.
    velora_protocol::Timestamp time;
};

// Reads a capture (pcap or pcapng, through libpcap) or a raw recording of the line's bytes,
// told apart by the magic number at the start. A damaged record (too long, a header that
// disagrees with its bytes, a truncated end) is named through problem(); its readable
// bytes are still handed over, so that everything readable is decoded.
class CaptureReader {
public:
    enum class Format { Pcap, Raw };

    CaptureReader() = default;
    ~CaptureReader();

    CaptureReader(const CaptureReader&) = delete;
    CaptureReader& operator=(const CaptureReader&) = delete;

    // "-" reads standard input. False when the file cannot be read or is a capture of
    // another link type; errorText() says why.
    bool open(const std::string& path);
    Format format() const { return fileFormat; }
    bool hasTimes() const { return fileFormat == Format::Pcap; }
    // Raw recordings have no times. This gives a raw recording's bytes the line's pace, ending when
    // the file was last written (standard input: starting now).
    void setRawTimesFromFile();

    // Goes to the record that starts `offset` bytes into a pcap file (CaptureWriter::size()
    // before the record was written). False for raw recordings and standard input.
    bool seek(std::uint64_t offset);

    // The next piece; false at the end of the input. The piece's bytes stay valid until
    // the next call.
    bool next(Piece& piece);

    // The first problem met in the input, and how many records had one.
    const std::string& problem() const { return firstProblem; }
    std::size_t problemCount() const { return problems; }
    bool damaged() const { return problems > 0; }
    // Why open() failed, or the read error that ended the input.
    const std::string& errorText() const { return error; }
    bool failed() const { return readFailed; }
    std::uint64_t recordCount() const { return records; }

private:
    bool nextRecord(Piece& piece);
    bool nextRawBlock(Piece& piece);
    void noteProblem(const std::string& text);

    Format fileFormat = Format::Raw;
    std::FILE* file = nullptr;
    pcap* handle = nullptr;
    std::vector<std::uint8_t> buffer;
    std::size_t prefix = 0; // bytes of a raw recording already read with the magic number
    velora_protocol::Timestamp rawTime;
    std::string path;
    std::string firstProblem;
    std::string error;
    std::size_t problems = 0;
    std::uint64_t records = 0;
    bool readFailed = false;
};

// Feeds a piece into the parser. The bytes of a piece with a time follow one another at
// the line's pace from it, so that the frames keep their recorded times.
void feedParser(velora_listener::ProtocolParser& parser, const Piece& piece);

} // namespace velora_capture
