#include "CaptureRing.h"

#include <velora_session/LocalTime.h>

#include <cstdio>
#include <ctime>

CaptureRing::CaptureRing(std::string path, std::size_t files, std::uint64_t fileBytes)
    : path(std::move(path))
    , files(files)
    , fileBytes(fileBytes) {}

bool CaptureRing::open() {
    // A ring starts its first file with the first frame, which gives the file its name.
    return files > 0 || writer.open(path);
}

bool CaptureRing::startFile(std::int64_t wallNs) {
    if (writer.isOpen() && !writer.close()) {
        return false;
    }
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string base = hasExtension ? path.substr(0, dot) : path;
    const std::string extension = hasExtension ? path.substr(dot) : ".pcap";
    const std::time_t start =
        wallNs != 0 ? static_cast<std::time_t>(wallNs / 1'000'000'000) : std::time(nullptr);
    long utcOffset = 0;
    const std::tm local = velora_session::localTime(start, utcOffset);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d%H%M%S", &local);
    char number[16];
    std::snprintf(number, sizeof number, "%05u", ++index);
    const std::string name = base + '_' + number + '_' + stamp + extension;
    if (!writer.open(name)) {
        return false;
    }
    kept.push_back(name);
    while (kept.size() > files) {
        std::remove(kept.front().c_str());
        kept.pop_front();
    }
    return true;
}

bool CaptureRing::write(const velora_protocol::Frame& frame) {
    if (files > 0 && (!writer.isOpen() || writer.size() >= fileBytes)) {
        if (!startFile(frame.times.first.wallNs)) {
            return false;
        }
    }
    return writer.write(frame);
}
