#include <velora_cli/Os.h>

#include <csignal>
#include <unistd.h>

namespace velora_cli::os {

void prepareStandardStreams() {}

void attachParentConsole() {}

void ignoreBrokenPipe() {
    std::signal(SIGPIPE, SIG_IGN);
}

bool isTerminal(std::FILE* stream) {
    return ::isatty(fileno(stream)) == 1;
}

char** utf8Arguments(int, char** argv) {
    return argv;
}

const char* textLayoutPlatform() {
    return "offscreen";
}

} // namespace velora_cli::os
