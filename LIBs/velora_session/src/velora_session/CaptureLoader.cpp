#include <velora_session/CaptureLoader.h>

#include <velora_capture/CaptureReader.h>
#include <velora_decoding/RecordingCheck.h>
#include <velora_listener/ProtocolParser.h>

#include <vector>

namespace {

// Collects the parser's frames in batches.
class Collector : public velora_listener::ParserEventListener {
public:
    static constexpr std::size_t kBatch = 1 << 16;

    explicit Collector(const CaptureLoader::Batch& onFrames)
        : onFrames(onFrames) {
        frames.reserve(kBatch);
    }

    void onFrame(const velora_protocol::Frame& frame) override {
        check.add(frame);
        frames.push_back(frame);
        if (frames.size() == kBatch) {
            hand();
        }
    }

    // Bytes at the end of the capture that no byte completes: kept beside the frames.
    void onUnfinished(const velora_protocol::Frame& frame) override { ending.push_back(frame); }

    void hand() {
        onFrames(frames);
        frames.clear();
        ++batches;
    }

    std::uint64_t batches = 0;

    velora_decoding::RecordingCheck check;
    std::vector<velora_protocol::Frame> ending;

private:
    const CaptureLoader::Batch& onFrames;
    std::vector<velora_protocol::Frame> frames;
};

} // namespace

bool CaptureLoader::load(const std::string& path, const Batch& onFrames, const Progress& progress) {
    problemText.clear();
    doubtText.clear();
    unfinishedFrames.clear();
    stopped = false;
    velora_capture::CaptureReader reader;
    if (!reader.open(path)) {
        problemText = reader.errorText();
        return false;
    }
    if (!reader.hasTimes()) {
        reader.setRawTimesFromFile();
    }
    Collector collector(onFrames);
    velora_listener::ProtocolParser parser(&collector);
    velora_capture::Piece piece;
    // A capture's record also holds its record header and our frame header.
    const std::uint64_t overhead = reader.hasTimes() ? kRecordOverhead : 0;
    std::uint64_t read = 0;
    std::uint64_t reported = 0;
    while (!stopped && reader.next(piece)) {
        velora_capture::feedParser(parser, piece);
        read += piece.size + overhead;
        if (progress && collector.batches != reported) {
            reported = collector.batches;
            stopped = !progress(read);
        }
    }
    // The end of the recording ends the line: trash still collected is reported, the bytes
    // of a frame under way are kept for a save. A load stopped early has not reached it.
    if (stopped) {
        parser.flush();
    } else {
        parser.endOfStream();
    }
    collector.hand();
    unfinishedFrames = std::move(collector.ending);
    // A capture's header names our link; a raw file is only bytes.
    if (!reader.hasTimes()) {
        doubtText = collector.check.doubt();
    }
    if (reader.failed()) {
        problemText = reader.errorText();
        return false;
    }
    if (reader.damaged()) {
        problemText = reader.problem();
    }
    return true;
}
