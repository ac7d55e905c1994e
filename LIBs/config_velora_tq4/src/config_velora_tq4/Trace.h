#pragma once

#include <QString>

namespace config_velora_tq4 {

// Writes one trace line to Qt's debug stream, unquoted: ">>> " on entry to an operation,
// "<<< " on exit, "=== " before a note. Silent unless tracing is on: set by
// setTracing() or by the environment variable VELORA_TRACE=1.
void trace(const QString& line);
void setTracing(bool on);

} // namespace config_velora_tq4
