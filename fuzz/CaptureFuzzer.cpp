// Any bytes as a file to replay: a capture (pcap or pcapng, damaged anywhere) or a raw
// recording. Reading must never crash, hand over a piece beyond its record, or give the
// parser a frame it could not have cut.
#include "FuzzCheck.h"

#include <velora_capture/CaptureFormat.h>
#include <velora_capture/CaptureReader.h>
#include <velora_listener/ParserEventListener.h>
#include <velora_listener/ProtocolParser.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

struct FrameCheck : velora_listener::ParserEventListener {
    void onFrame(const velora_protocol::Frame& frame) override {
        FUZZ_CHECK(frame.size >= 1 && frame.size <= velora_protocol::Frame::kMaxSize);
        FUZZ_CHECK(frame.type >= mtQuery && frame.type <= mtTrash);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    char path[] = "/tmp/velora-capture-fuzz-XXXXXX";
    const int fd = ::mkstemp(path);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(::write(fd, data, size) == static_cast<ssize_t>(size));
    ::close(fd);

    velora_capture::CaptureReader reader;
    if (reader.open(path)) {
        FrameCheck check;
        velora_listener::ProtocolParser parser(&check);
        velora_capture::Piece piece;
        std::size_t fed = 0;
        while (reader.next(piece)) {
            FUZZ_CHECK(piece.size == 0 || piece.data != nullptr);
            FUZZ_CHECK(reader.format() == velora_capture::CaptureReader::Format::Raw ||
                       piece.size <= 0x40000);
            velora_capture::feedParser(parser, piece);
            fed += piece.size;
        }
        parser.flush();
        FUZZ_CHECK(reader.format() == velora_capture::CaptureReader::Format::Pcap || fed == size);
    }
    ::unlink(path);
    return 0;
}
