#pragma once

#include <velora_protocol/Frame.h>

#include <cstdint>
#include <string>
#include <vector>

namespace velora_decoding {

// The log's text of a frame, in UTF-8: "Опрос", "Ответ: нет данных", the decoded long
// answer or command, "Подтверждение", or "Байты: " and the trash bytes. A pure function of
// the frame: the log, velora-sniff, reports and the Wireshark plugin show the same text.
std::string frameText(const velora_protocol::Frame& frame);

// Two upper-case hexadecimal digits: 0x0A gives "0A".
std::string hexByte(int value);
// The bytes' pairs joined by single blanks: "01 AB 0F".
std::string hexBytes(const std::uint8_t* first, const std::uint8_t* last);
inline std::string hexBytes(const std::vector<std::uint8_t>& bytes) {
    return hexBytes(bytes.data(), bytes.data() + bytes.size());
}

// UTF-8 of a decoder's wide text.
std::string toUtf8(const std::wstring& text);

// The text with its first letter, Latin or Cyrillic, in upper case: "шлейф" gives "Шлейф".
std::wstring capitalised(std::wstring text);

} // namespace velora_decoding
