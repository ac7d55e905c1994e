#pragma once

#include <velora_protocol/Command.h>

#include <string>

namespace velora_decoding {

// The log's text of a command: "Команда прибору 5: сброс; включить выход 3." in the
// device layout ("Команда: ..." when the address is shown apart), "Команда пульту 2: ..."
// in the console layout.
std::wstring commandText(const velora_protocol::Command& command, bool omitAddress);

} // namespace velora_decoding
