#include <velora_cli/Os.h>

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <string>
#include <vector>

namespace velora_cli::os {

namespace {

bool redirected(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

} // namespace

void prepareStandardStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
}

void attachParentConsole() {
    const bool out = redirected(STD_OUTPUT_HANDLE);
    const bool err = redirected(STD_ERROR_HANDLE);
    if ((!out || !err) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (!out) {
            (void)!std::freopen("CONOUT$", "w", stdout);
        }
        if (!err) {
            (void)!std::freopen("CONOUT$", "w", stderr);
        }
    }
    prepareStandardStreams();
}

void ignoreBrokenPipe() {
    // A write to a closed pipe fails with an error on Windows; there is no signal.
}

bool isTerminal(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

char** utf8Arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide || count != argc) {
        LocalFree(wide);
        return argv;
    }
    static std::vector<std::string> texts;
    static std::vector<char*> pointers;
    for (int i = 0; i < count; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string text(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), size, nullptr, nullptr);
        text.pop_back();
        texts.push_back(std::move(text));
    }
    LocalFree(wide);
    for (auto& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers.data();
}

// The offscreen plugin has no font database on Windows; the Windows plugin needs no window.
const char* textLayoutPlatform() {
    return "windows";
}

} // namespace velora_cli::os
