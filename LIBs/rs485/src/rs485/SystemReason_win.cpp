#include <rs485/SystemReason.h>

#include <windows.h>

namespace rs485 {

namespace {

std::string utf8(const wchar_t* text, int length) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text, length, &result[0], size, nullptr, nullptr);
    }
    return result;
}

} // namespace

// The system's own text, in the user's language, as UTF-8.
std::string systemReason(unsigned long error) {
    wchar_t text[512] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, 512, nullptr);
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' ||
                          text[length - 1] == L'.' || text[length - 1] == L' ')) {
        --length;
    }
    if (length == 0) {
        return "ошибка " + std::to_string(error);
    }
    return utf8(text, static_cast<int>(length));
}

std::string lastSystemReason() {
    return systemReason(GetLastError());
}

} // namespace rs485
