#include "CaptureRing.h"

#include <velora_session/LocalTime.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <utility>
#include <vector>

namespace {

// PATH-BASE and .EXT of the ring's file names.
std::pair<std::string, std::string> splitName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        return {path.substr(0, dot), path.substr(dot)};
    }
    return {path, ".pcap"};
}

bool allDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
}

// The number of a ring file's middle part "NNNNN_YYYYMMDDHHMMSS"; 0 for anything else.
std::uint32_t ringNumber(const std::string& middle) {
    const std::size_t underscore = middle.find('_');
    if (underscore == std::string::npos || underscore < 5 || underscore > 9 ||
        !allDigits(middle.substr(0, underscore)) || middle.size() - underscore - 1 != 14 ||
        !allDigits(middle.substr(underscore + 1))) {
        return 0;
    }
    return static_cast<std::uint32_t>(std::stoul(middle.substr(0, underscore)));
}

} // namespace

CaptureRing::CaptureRing(std::string path, std::size_t files, std::uint64_t fileBytes)
    : path(std::move(path))
    , files(files)
    , fileBytes(fileBytes) {}

bool CaptureRing::open() {
    // A ring starts its first file with the first frame, which gives the file its name.
    if (files > 0) {
        adoptEarlierFiles();
        return true;
    }
    return writer.open(path);
}

// The files of an earlier run of the same ring (a restart after the converter came back)
// stay in it: they go first when the ring is full, and the numbers go on after theirs.
void CaptureRing::adoptEarlierFiles() {
    namespace fs = std::filesystem;
    const auto [base, extension] = splitName(path);
    const fs::path basePath = fs::u8path(base);
    const std::string prefix = basePath.filename().u8string() + '_';
    std::vector<std::pair<std::uint32_t, std::string>> found;
    std::error_code error;
    const fs::path folder = basePath.has_parent_path() ? basePath.parent_path() : fs::path(".");
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().u8string();
        if (name.size() <= prefix.size() + extension.size() || name.rfind(prefix, 0) != 0 ||
            name.compare(name.size() - extension.size(), extension.size(), extension) != 0) {
            continue;
        }
        const std::string middle =
            name.substr(prefix.size(), name.size() - prefix.size() - extension.size());
        if (const std::uint32_t number = ringNumber(middle)) {
            found.emplace_back(number, base + '_' + middle + extension);
        }
    }
    std::sort(found.begin(), found.end());
    for (const auto& [number, name] : found) {
        kept.push_back(name);
        index = number;
    }
}

bool CaptureRing::startFile(std::int64_t wallNs) {
    if (writer.isOpen() && !writer.close()) {
        return false;
    }
    const auto [base, extension] = splitName(path);
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
