#pragma once

#include <velora_decoding/DeviceTracker.h>

#include <ostream>

// What is wrong with the line, most severe first: for people, a line per diagnosis with its
// text; for programs (tsv), a header and the fields kind, address (0: the line), first,
// last (ISO 8601, empty where unknown), count and text.
void printDiagnosisTable(std::ostream& out, const velora_decoding::DeviceTracker& tracker,
                         bool tsv);
