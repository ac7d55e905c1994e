#pragma once

#include <velora_decoding/LogMessage.h>

#include <cstdint>
#include <cstdio>
#include <string>

// Prints log messages, one line each. The text form is for people: the time on request,
// the direction marker of the desktop log, the address (blank for trash), the text and,
// on request, the raw bytes. The TSV form is for programs: type, address (0 for trash),
// text, raw bytes and, on request, the time, separated by tabs.
class LogPrinter {
public:
    enum class Format { Text, Tsv };
    enum class TimeFormat {
        None,
        Absolute, // local time to the millisecond
        Iso,      // ISO 8601 with microseconds and the offset from UTC
        Relative, // seconds since the first frame
        Delta,    // seconds since the previous frame
    };

    LogPrinter(Format format, bool showRaw, TimeFormat timeFormat, std::FILE* out);

    std::string format(const velora_decoding::LogMessage& message);
    void print(const velora_decoding::LogMessage& message);

private:
    std::string timeText(const velora_protocol::Timestamp& time);

    Format lineFormat;
    bool showRaw;
    TimeFormat timeFormat;
    std::FILE* out;
    std::int64_t firstNs = 0;
    std::int64_t previousNs = 0;
    bool started = false;
};
