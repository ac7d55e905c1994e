#include <velora_decoding/AnswerDecoder.h>
#include <velora_decoding/CommandText.h>
#include <velora_decoding/FrameText.h>
#include <velora_decoding/LogMessage.h>

namespace velora_decoding {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void appendHexByte(std::string& out, int value) {
    out += kHexDigits[(value >> 4) & 0x0F];
    out += kHexDigits[value & 0x0F];
}

} // namespace

std::string hexByte(int value) {
    std::string hex;
    appendHexByte(hex, value);
    return hex;
}

std::string hexBytes(const std::uint8_t* first, const std::uint8_t* last) {
    std::string hex;
    hex.reserve(static_cast<std::size_t>(last - first) * 3);
    for (const std::uint8_t* b = first; b != last; ++b) {
        if (b != first) {
            hex += ' ';
        }
        appendHexByte(hex, *b);
    }
    return hex;
}

std::string toUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (const wchar_t wc : text) {
        const auto c = static_cast<std::uint32_t>(wc);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring capitalised(std::wstring text) {
    if (!text.empty()) {
        wchar_t& first = text.front();
        if ((first >= L'a' && first <= L'z') || (first >= L'а' && first <= L'я')) {
            first = static_cast<wchar_t>(first - (L'a' - L'A'));
        } else if (first >= L'ѐ' && first <= L'џ') {
            first = static_cast<wchar_t>(first - (L'ѐ' - L'Ѐ'));
        }
    }
    return text;
}

std::string frameText(const velora_protocol::Frame& frame) {
    switch (frame.type) {
    case mtQuery:
        return "Опрос";
    case mtShortAnswer:
        return "Ответ: нет данных";
    case mtLongAnswer:
        return toUtf8(answerText(frame.begin(), frame.size));
    case mtLongAnswerAck:
    case mtCommandAck:
        return "Подтверждение";
    case mtCommand:
        // The address has a column of its own in the log.
        return toUtf8(commandText(velora_protocol::Command(frame.bytes(), false), true));
    case mtTrash:
        break;
    }
    return "Байты: " + hexBytes(frame.begin(), frame.end());
}

LogMessage decode(const velora_protocol::Frame& frame) {
    return {frame, frameText(frame)};
}

} // namespace velora_decoding
