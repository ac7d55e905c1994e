#include <velora_cli/Program.h>

#include <getopt.h>

#include <cstdlib>
#include <iostream>

namespace velora_cli {

void Program::usageError(const std::string& message) const {
    std::cerr << name << ": " << message << "\nПодробнее: " << name << " --help\n";
    std::exit(kExitUsage);
}

void Program::finalOption(int option, char** argv) const {
    switch (option) {
    case 'h':
        std::cout << usage;
        std::exit(0);
    case 'V':
        std::cout << name << ' ' << version << '\n';
        std::exit(0);
    case ':':
        usageError(std::string("параметру нужно значение: ") + argv[optind - 1]);
    default:
        usageError(std::string("неизвестный параметр: ") + argv[optind - 1]);
    }
}

} // namespace velora_cli
