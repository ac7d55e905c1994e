#pragma once

#include <QString>

namespace config_velora_tq4 {

// Writes one trace line to Qt's debug stream, unquoted: ">>> " on entry to an operation,
// "<<< " on exit, "=== " before a note.
void trace(const QString& line);

} // namespace config_velora_tq4
