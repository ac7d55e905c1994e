#pragma once

#include <config_velora_tq4/Diagnostic.h>

#include <QByteArray>

#include <vector>

namespace config_velora_tq4 {

// Checks a configuration document for what Configuration::parseXml would silently change,
// drop or refuse: malformed XML, a wrong root, numbers that are not numbers or out of range,
// duplicate addresses, references to missing event tables (errors); unknown elements,
// repeated settings, texts that the display form rewrites or that do not fit the display
// (warnings). The diagnostics come in document order.
std::vector<Diagnostic> checkDocument(const QByteArray& xml);

} // namespace config_velora_tq4
