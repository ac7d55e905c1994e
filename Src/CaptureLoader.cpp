#include <CaptureLoader.h>

#include <SessionModel.h>

#include <velora_capture/CaptureReader.h>
#include <velora_listener/ProtocolParser.h>
#include <velora_protocol/LineTiming.h>

#include <QDateTime>
#include <QFileInfo>

#include <vector>

namespace {

// Collects the parser's frames for the model, in batches.
class Collector : public velora_listener::ParserEventListener {
public:
    static constexpr std::size_t kBatch = 1 << 16;

    explicit Collector(SessionModel& model)
        : model(model) {
        frames.reserve(kBatch);
    }

    void onFrame(const velora_protocol::Frame& frame) override {
        frames.push_back(frame);
        if (frames.size() == kBatch) {
            hand();
        }
    }

    void hand() {
        model.append(frames);
        frames.clear();
    }

private:
    SessionModel& model;
    std::vector<velora_protocol::Frame> frames;
};

velora_protocol::Timestamp rawStart(const QString& path) {
    const QFileInfo info(path);
    const std::int64_t end = info.lastModified().toMSecsSinceEpoch() * 1'000'000;
    return velora_protocol::Timestamp::recorded(end -
                                                info.size() * velora_protocol::characterTimeNs());
}

} // namespace

bool CaptureLoader::load(const QString& path, SessionModel& model) {
    problemText.clear();
    velora_capture::CaptureReader reader;
    if (!reader.open(path.toStdString())) {
        problemText = QString::fromStdString(reader.errorText());
        return false;
    }
    if (!reader.hasTimes()) {
        reader.setRawStart(rawStart(path));
    }
    Collector collector(model);
    velora_listener::ProtocolParser parser(&collector);
    velora_capture::Piece piece;
    while (reader.next(piece)) {
        velora_capture::feedParser(parser, piece);
    }
    // The end of the recording ends the line: trash still collected is reported.
    parser.flush();
    collector.hand();
    if (reader.failed()) {
        problemText = QString::fromStdString(reader.errorText());
        return false;
    }
    if (reader.damaged()) {
        problemText = QString::fromStdString(reader.problem());
    }
    return true;
}
