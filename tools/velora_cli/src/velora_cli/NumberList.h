#pragma once

#include <optional>
#include <set>
#include <string>

namespace velora_cli {

// Parses a list such as "1,3-5" into the numbers it names; every number must lie in
// low..high. Returns nothing for a malformed list or a number out of range.
std::optional<std::set<int>> parseNumberList(const std::string& text, int low, int high);

// The inverse: "1, 3-5" style, runs of consecutive numbers as ranges.
std::string formatNumberList(const std::set<int>& numbers);

// A whole decimal number in low..high, nothing else in the text.
std::optional<long long> parseNumber(const std::string& text, long long low, long long high);

// A decimal fraction such as "0.05" in low..high.
std::optional<double> parseFraction(const std::string& text, double low, double high);

} // namespace velora_cli
