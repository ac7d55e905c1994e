#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace rs485 {

// Plain byte-wise order, shorter first on a common prefix: COM1, COM10, COM2.
inline std::vector<std::string> sortedPortNames(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace rs485
