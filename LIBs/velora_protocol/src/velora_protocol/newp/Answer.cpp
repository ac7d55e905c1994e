#include <velora_protocol/newp/Answer.h>

namespace velora_protocol::newp {

Answer::Answer(const std::vector<std::uint8_t>& bytes)
    : TAnswer<10>(std::vector<std::uint16_t>(bytes.begin(), bytes.end())) {}

} // namespace velora_protocol::newp
