#include <velora_decoding/TextParts.h>

namespace velora_decoding {

void TextParts::part(const std::wstring& text) {
    if (partWritten) {
        out << L"; ";
    }
    out << text;
    partWritten = true;
}

void TextParts::restartAfter(const std::wstring& header) {
    if (partWritten) {
        out << L"; ";
    }
    out << header;
    partWritten = false;
}

void TextParts::groupCommands(std::uint8_t bits, int firstGroup) {
    if (bits == 0) {
        return;
    }
    const std::wstring list = bitNumbers(bits, firstGroup);
    // Groups are single digits: a one-character list is one group.
    part((list.size() == 1 ? L"групповая команда " : L"групповые команды ") + list);
}

std::wstring TextParts::finish() {
    if (!partWritten) {
        out << L"- ";
    }
    out << L'.';
    return out.str();
}

std::wstring TextParts::bitNumbers(std::uint8_t bits, int first) {
    std::wostringstream list;
    bool any = false;
    for (int k = 0; k < 8; ++k) {
        if ((bits >> k) & 1) {
            if (any) {
                list << L", ";
            }
            list << k + first;
            any = true;
        }
    }
    return list.str();
}

} // namespace velora_decoding
