#pragma once

#include <velora_decoding/DeviceTracker.h>
#include <velora_report/ConfigComparison.h>

#include <ostream>

// The table of --stats from the device tracker: one row per address the line carried or
// the configuration lists. For people: aligned columns and summary lines in Russian. For
// programs (TSV): a header line, then per address the columns address, polls,
// short_answers, long_answers, commands, missed, presence and more.
void printDeviceTable(std::ostream& out, const velora_decoding::DeviceTracker& tracker,
                      const velora_report::ConfigComparison* comparison, bool tsv);
