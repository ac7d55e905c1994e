#include "LogPrinter.h"

#include <velora_decoding/FrameText.h>
#include <velora_protocol/MessageType.h>
#include <velora_session/TimeText.h>

#include <cinttypes>
#include <cstdlib>
#include <ctime>

namespace {

std::string seconds(std::int64_t ns) {
    char text[32];
    const std::int64_t magnitude = ns < 0 ? -ns : ns;
    std::snprintf(text, sizeof text, "%s%" PRId64 ".%06" PRId64, ns < 0 ? "-" : "",
                  magnitude / 1'000'000'000, magnitude % 1'000'000'000 / 1000);
    return text;
}

} // namespace

LogPrinter::LogPrinter(Format format, bool showRaw, TimeFormat timeFormat, std::FILE* out)
    : lineFormat(format)
    , showRaw(showRaw)
    , timeFormat(timeFormat)
    , out(out) {}

std::string LogPrinter::timeText(const velora_protocol::Timestamp& time) {
    const std::int64_t ns = time.wallNs;
    if (!started) {
        firstNs = previousNs = ns;
        started = true;
    }
    const std::int64_t previous = previousNs;
    previousNs = ns;
    if (timeFormat == TimeFormat::Relative) {
        return seconds(ns - firstNs);
    }
    if (timeFormat == TimeFormat::Delta) {
        return seconds(ns - previous);
    }
    if (timeFormat == TimeFormat::Absolute) {
        return velora_session::clockText(ns);
    }
    return velora_session::isoText(ns);
}

std::string LogPrinter::format(const velora_decoding::LogMessage& message) {
    const velora_protocol::Frame& frame = message.frame;
    const std::string hex = velora_decoding::hexBytes(frame.begin(), frame.end());
    const std::string time =
        timeFormat == TimeFormat::None ? std::string() : timeText(frame.times.first);
    if (lineFormat == Format::Tsv) {
        std::string line = std::to_string(frame.type) + '\t' + std::to_string(frame.address) +
                           '\t' + message.text + '\t' + hex;
        if (!time.empty()) {
            line += '\t' + time;
        }
        return line + '\n';
    }
    std::string line = time.empty() ? std::string() : time + ' ';
    line += directionMarker(frame.type);
    line += ' ';
    char address[8] = "   ";
    if (frame.type != mtTrash) {
        std::snprintf(address, sizeof address, "%3d", frame.address);
    }
    line += address;
    line += "  " + message.text;
    if (showRaw) {
        line += "  [" + hex + ']';
    }
    return line + '\n';
}

void LogPrinter::print(const velora_decoding::LogMessage& message) {
    const std::string line = format(message);
    std::fwrite(line.data(), 1, line.size(), out);
}
