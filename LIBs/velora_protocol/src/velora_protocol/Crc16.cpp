#include <velora_protocol/Crc16.h>

namespace velora_protocol {

namespace {

constexpr std::uint16_t kPolynomial = 0xA001;

constexpr std::array<std::uint16_t, 256> makeTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < table.size(); ++i) {
        std::uint16_t crc = static_cast<std::uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ kPolynomial)
                            : static_cast<std::uint16_t>(crc >> 1);
        }
        table[i] = crc;
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kTable = makeTable();

} // namespace

const std::array<std::uint16_t, 256>& crc16Table() {
    return kTable;
}

std::uint16_t crc16(const std::uint8_t* data, std::size_t length) {
    return crc16(data, data + length);
}

} // namespace velora_protocol
