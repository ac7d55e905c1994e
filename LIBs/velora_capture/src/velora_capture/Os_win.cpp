#include <velora_capture/Os.h>

#include <pcap/pcap.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace velora_capture::os {

namespace {

constexpr std::int64_t kFileTimeTo1970 = 116'444'736'000'000'000; // 100 ns units

std::wstring wide(const std::string& utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring text(length > 0 ? static_cast<std::size_t>(length) : 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, text.data(), length);
    text.resize(text.size() - 1);
    return text;
}

// libpcap on Windows takes an operating-system handle and makes a stream of its own: it
// gets a duplicate, so that closing our stream leaves its handle open.
intptr_t duplicateHandle(std::FILE* stream) {
    const auto own = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    HANDLE copy = INVALID_HANDLE_VALUE;
    if (own == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        return -1;
    }
    return reinterpret_cast<intptr_t>(copy);
}

// A pipe cannot be read from its start again: its bytes go to a temporary file first,
// which the system deletes once the last handle on it is closed.
std::FILE* spool(std::FILE* input, const std::uint8_t* head, std::size_t size) {
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"vel", 0, name) == 0) {
        return nullptr;
    }
    std::FILE* copy = _wfopen(name, L"w+bTD");
    if (!copy) {
        DeleteFileW(name);
        return nullptr;
    }
    char block[1 << 16];
    bool ok = std::fwrite(head, 1, size, copy) == size;
    for (std::size_t n = 0; ok && (n = std::fread(block, 1, sizeof block, input)) > 0;) {
        ok = std::fwrite(block, 1, n, copy) == n;
    }
    if (!ok || std::ferror(input) || std::fflush(copy) != 0) {
        std::fclose(copy);
        return nullptr;
    }
    return copy;
}

void (*stopHandler)(int) = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    stopHandler(SIGINT);
    return TRUE;
}

} // namespace

std::FILE* openFile(const std::string& path, const char* mode) {
    return _wfopen(wide(path).c_str(), wide(mode).c_str());
}

std::FILE* duplicateStandardOutput() {
    const int out = _dup(_fileno(stdout));
    if (out < 0) {
        return nullptr;
    }
    _setmode(out, _O_BINARY);
    std::FILE* file = _fdopen(out, "wb");
    if (!file) {
        _close(out);
    }
    return file;
}

std::FILE* standardInput() {
    _setmode(_fileno(stdin), _O_BINARY);
    return stdin;
}

bool isDirectory(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool regularFileTimes(const std::string& path, std::int64_t& modifiedNs, std::uint64_t& size) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(wide(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }
    const auto since1601 = static_cast<std::int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 |
                           data.ftLastWriteTime.dwLowDateTime;
    modifiedNs = (since1601 - kFileTimeTo1970) * 100;
    size = static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    return true;
}

pcap* readCapture(std::FILE* input, const std::uint8_t* head, std::size_t size, char* errorBuffer) {
    const bool seekable = input != stdin && std::fseek(input, 0, SEEK_SET) == 0;
    std::FILE* file = seekable ? input : spool(input, head, size);
    if (!seekable && input != stdin) {
        std::fclose(input);
    }
    const intptr_t handle = file && std::fseek(file, 0, SEEK_SET) == 0 ? duplicateHandle(file) : -1;
    if (handle == -1) {
        std::snprintf(errorBuffer, PCAP_ERRBUF_SIZE, "%s", std::strerror(errno));
    }
    if (file) {
        std::fclose(file);
    }
    return handle == -1 ? nullptr
                        : pcap_hopen_offline_with_tstamp_precision(
                              handle, PCAP_TSTAMP_PRECISION_NANO, errorBuffer);
}

pcap_dumper* writeCapture(pcap* dead, std::FILE* output) {
    std::fflush(output);
    const intptr_t handle = duplicateHandle(output);
    pcap_dumper* dumper = handle == -1 ? nullptr : pcap_dump_hopen(dead, handle);
    if (dumper) {
        std::fclose(output);
    } else if (handle != -1) {
        CloseHandle(reinterpret_cast<HANDLE>(handle));
    }
    return dumper;
}

void discardUnflushed(std::FILE* file, std::uint64_t keep) {
    // The C runtime cannot drop its buffer: a seek hands it on, then the file is cut back.
    _fseeki64(file, static_cast<__int64>(keep), SEEK_SET);
    _chsize_s(_fileno(file), static_cast<__int64>(keep));
}

bool readerGone(std::FILE*) {
    // Windows tells a gone reader only to the write that follows.
    return false;
}

void catchStopRequests(void (*handler)(int)) {
    stopHandler = handler;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

} // namespace velora_capture::os
