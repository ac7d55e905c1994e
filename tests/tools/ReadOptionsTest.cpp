#include <velora_cli/Program.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using velora_cli::Option;

namespace {

const velora_cli::Program kProgram{"tool", "Использование: tool\n", "1.0"};

// Reads a command line by a small table; what the handlers saw, then the operands.
std::string read(std::vector<std::string> words) {
    std::string seen;
    const auto note = [&seen](const char* name) {
        return [&seen, name](const std::string& value) {
            seen += std::string(name) + "=" + value + ' ';
        };
    };
    const std::vector<Option> table = {
        {"replay", 'r', Option::Value::Required, note("replay")},
        {"raw", 'x', Option::Value::None, note("raw")},
        {"ring", 0, Option::Value::Required, note("ring")},
        {"version-of", 0, Option::Value::Optional, note("version-of")},
        {"log-level|log-file", 0, Option::Value::Required, note("log")},
    };
    words.insert(words.begin(), "tool");
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const int argc = static_cast<int>(words.size());
    for (int i = kProgram.readOptions(table, argc, argv.data()); i < argc; ++i) {
        seen += std::string("| ") + argv[static_cast<std::size_t>(i)];
    }
    return seen;
}

} // namespace

TEST(ReadOptions, ReadsTheCommandLineAsGetoptLong) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"-r", "a", "b"}, "replay=a | b"},
        {{"-ra", "-x", "b"}, "replay=a raw= | b"},
        {{"-xra"}, "raw= replay=a "},
        {{"--replay=a", "--ring", "1:2"}, "replay=a ring=1:2 "},
        {{"b", "--rep", "a", "c"}, "replay=a | b| c"},
        {{"--version-of", "x"}, "version-of= | x"},
        {{"--version-of=4"}, "version-of=4 "},
        {{"--log", "3", "--log-file", "f"}, "log=3 log=f "},
        {{"--", "-x"}, "| -x"},
    };
    for (const auto& [words, expected] : cases) {
        EXPECT_EQ(read(words), expected) << words.front();
    }
}

TEST(ReadOptions, UnusableCommandLinesEndWithTheUsageCode) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"-r"}, "tool: параметру нужно значение: -r"},
        {{"--ring"}, "параметру нужно значение: --ring"},
        {{"--bogus"}, "неизвестный параметр: --bogus"},
        {{"-Z"}, "неизвестный параметр: -Z"},
        {{"--r", "a"}, "неизвестный параметр: --r"}, // replay or ring
        {{"--raw=1"}, "неизвестный параметр: --raw=1"},
    };
    for (const auto& [words, message] : cases) {
        EXPECT_EXIT(read(words), testing::ExitedWithCode(velora_cli::kExitUsage), message)
            << words.front();
    }
    EXPECT_EXIT(read({"-V"}), testing::ExitedWithCode(0), "");
}
