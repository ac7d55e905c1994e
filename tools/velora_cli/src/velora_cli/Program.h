#pragma once

#include <string>

namespace velora_cli {

// The exit code of a command line that cannot be used.
constexpr int kExitUsage = 2;

// A command-line tool as its messages name it.
struct Program {
    const char* name;    // "velora-sniff"
    const char* usage;   // the --help text
    const char* version; // "1.1.6.1107"

    // Prints "name: message" and where to read more, and exits with kExitUsage.
    [[noreturn]] void usageError(const std::string& message) const;
    // The options every tool's getopt_long loop ends with: -h and -V print and exit 0;
    // ':' (a value missing) and anything else unknown are usage errors.
    [[noreturn]] void finalOption(int option, char** argv) const;
};

} // namespace velora_cli
