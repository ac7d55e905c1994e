#pragma once

#include "LogPrinter.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>

// What velora-sniff's command line asks for.
struct Options {
    // The line: a port to listen to, or a recording to replay.
    std::string port;
    std::string replayPath;
    long long durationSeconds = 0;
    // The bytes as they came, for a port only.
    std::string recordPath;
    // Every frame into a capture, in a ring of files on request.
    std::string writePath;
    std::size_t ringFiles = 0;
    std::uint64_t ringBytes = 0;
    // The lines of the log and which frames they show.
    bool raw = false;
    bool tsv = false;
    LogPrinter::TimeFormat timeFormat = LogPrinter::TimeFormat::None;
    std::optional<std::set<int>> types;
    std::optional<std::set<int>> addresses;
    // The devices: their table, their changes, the line's diagnoses, the report.
    bool stats = false;
    bool statsOnly = false;
    bool alerts = false;
    bool diagnose = false;
    std::string configPath;
    bool walkTest = false;
    std::string reportPath;
    bool reportChanges = false;

    // Reads the command line; --help, --version and a command line that cannot be used end
    // the program.
    static Options read(int argc, char** argv);
};
