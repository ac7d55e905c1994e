#pragma once

#include <functional>
#include <string>

namespace velora_cli {

// One row of a tool's option table: its long names, its letter, whether it takes a value
// and what it sets.
struct Option {
    enum class Value { None, Required, Optional };
    // Gets the option's value, "" for an option without one.
    using Handler = std::function<void(const std::string& value)>;

    // One long name, or several separated by '|' that act alike ("log-level|log-file").
    const char* names;
    char letter; // 0: a long name only
    Value value;
    Handler set;
};

// The handlers of the plainest options: keep the value, switch a flag on.
Option::Handler store(std::string& target);
Option::Handler raise(bool& flag);

} // namespace velora_cli
