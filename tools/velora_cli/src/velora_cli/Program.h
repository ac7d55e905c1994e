#pragma once

#include <velora_cli/Option.h>

#include <string>
#include <vector>

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
    // Reads the options of the command line by the table, as getopt_long reads them:
    // "--name VALUE", "--name=VALUE", an unambiguous start of a name, "-lVALUE", letters
    // together ("-xT"), operands between options. -h/--help and -V/--version print and exit
    // 0; an unknown option or a missing value is a usage error. Calls the handlers in the
    // order of the command line and returns the index of the first operand (the operands
    // are moved behind the options).
    int readOptions(const std::vector<Option>& table, int argc, char** argv) const;

private:
    [[noreturn]] void finalOption(int option, char** argv) const;
};

} // namespace velora_cli
