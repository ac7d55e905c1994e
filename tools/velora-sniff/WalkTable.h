#pragma once

#include <velora_decoding/WalkTest.h>
#include <velora_report/ConfigComparison.h>

#include <ostream>

// The walk test: for people, "проверено N из M" and a line per check with its name, times
// and result, then the alarms of addresses the configuration does not list; for programs
// (tsv), a header and the fields address, check, name, alarm, normal (ISO 8601, empty where
// not seen) and result.
void printWalkTable(std::ostream& out, const velora_decoding::WalkTest& walk,
                    const velora_report::ConfigComparison& comparison, bool tsv);
