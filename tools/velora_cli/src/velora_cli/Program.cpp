#include <velora_cli/Program.h>

#include <getopt.h>

#include <cstdlib>
#include <iostream>
#include <map>

namespace velora_cli {

namespace {

// A long name as getopt_long takes it; the names are kept here while it reads.
struct LongName {
    std::string name;
    int hasArgument;
    int code;
};

int hasArgument(Option::Value value) {
    switch (value) {
    case Option::Value::None:
        return no_argument;
    case Option::Value::Required:
        return required_argument;
    case Option::Value::Optional:
        break;
    }
    return optional_argument;
}

// Options with a letter answer to it; those with long names only to a code past any letter.
int codeOf(const Option& option, std::size_t row) {
    constexpr int kFirstLongOnly = 1000;
    return option.letter ? option.letter : kFirstLongOnly + static_cast<int>(row);
}

std::vector<LongName> longNames(const std::vector<Option>& table) {
    std::vector<LongName> names;
    for (std::size_t row = 0; row < table.size(); ++row) {
        const std::string all = table[row].names;
        for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
            end = all.find('|', start);
            names.push_back({all.substr(start, end - start), hasArgument(table[row].value),
                             codeOf(table[row], row)});
        }
    }
    names.push_back({"help", no_argument, 'h'});
    names.push_back({"version", no_argument, 'V'});
    return names;
}

std::string letters(const std::vector<Option>& table) {
    // ':' first: a missing value is told apart from an unknown option.
    std::string letters = ":";
    for (const Option& option : table) {
        if (option.letter) {
            const int colons = hasArgument(option.value);
            letters += option.letter + std::string(static_cast<std::size_t>(colons), ':');
        }
    }
    return letters + "hV";
}

} // namespace

Option::Handler store(std::string& target) {
    return [&target](const std::string& value) { target = value; };
}

Option::Handler raise(bool& flag) {
    return [&flag](const std::string&) { flag = true; };
}

void Program::usageError(const std::string& message) const {
    std::cerr << name << ": " << message << "\nПодробнее: " << name << " --help\n";
    std::exit(kExitUsage);
}

int Program::readOptions(const std::vector<Option>& table, int argc, char** argv) const {
    const std::vector<LongName> names = longNames(table);
    std::vector<option> longOptions;
    for (const LongName& name : names) {
        longOptions.push_back({name.name.c_str(), name.hasArgument, nullptr, name.code});
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});
    std::map<int, const Option*> byCode;
    for (std::size_t row = 0; row < table.size(); ++row) {
        byCode[codeOf(table[row], row)] = &table[row];
    }
    const std::string shortOptions = letters(table);
    opterr = 0;
    optind = 0; // from the start, as often as it is called
    for (int c;
         (c = getopt_long(argc, argv, shortOptions.c_str(), longOptions.data(), nullptr)) != -1;) {
        const auto found = byCode.find(c);
        if (found == byCode.end()) {
            finalOption(c, argv);
        }
        found->second->set(optarg ? optarg : "");
    }
    return optind;
}

void Program::finalOption(int option, char** argv) const {
    switch (option) {
    case 'h':
        std::cout << usage;
        std::exit(0);
    case 'V':
        std::cout << name << ' ' << version << '\n';
        std::exit(0);
    case ':':
        usageError(std::string("параметру нужно значение: ") + argv[optind - 1]);
    default:
        usageError(std::string("неизвестный параметр: ") + argv[optind - 1]);
    }
}

} // namespace velora_cli
