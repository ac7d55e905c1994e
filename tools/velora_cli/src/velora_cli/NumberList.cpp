#include <velora_cli/NumberList.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace velora_cli {

std::optional<long long> parseNumber(const std::string& text, long long low, long long high) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parseFraction(const std::string& text, double low, double high) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) {
        return std::nullopt;
    }
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (*end != '\0' || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::set<int>> parseNumberList(const std::string& text, int low, int high) {
    std::set<int> numbers;
    std::istringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        const auto dash = item.find('-');
        const auto first = parseNumber(item.substr(0, dash), low, high);
        const auto last =
            dash == std::string::npos ? first : parseNumber(item.substr(dash + 1), low, high);
        if (!first || !last || *last < *first) {
            return std::nullopt;
        }
        for (long long n = *first; n <= *last; ++n) {
            numbers.insert(static_cast<int>(n));
        }
    }
    // getline drops a trailing empty item: "1," is as malformed as ",1".
    if (text.empty() || text.back() == ',') {
        return std::nullopt;
    }
    return numbers;
}

std::string formatNumberList(const std::set<int>& numbers) {
    std::ostringstream out;
    for (auto it = numbers.begin(); it != numbers.end();) {
        const int first = *it;
        int last = first;
        while (++it != numbers.end() && *it == last + 1) {
            ++last;
        }
        out << (out.tellp() > 0 ? ", " : "") << first;
        if (last > first) {
            out << '-' << last;
        }
    }
    return out.str();
}

} // namespace velora_cli
