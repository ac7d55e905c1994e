// Runs a fuzz target over files and directories of inputs, for builds without libFuzzer:
// the committed corpus becomes an ordinary test. A crash or a failed check aborts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void runFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

} // namespace

int main(int argc, char** argv) {
    std::size_t inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path)) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
        } else if (std::filesystem::is_regular_file(path)) {
            files.push_back(path);
        } else {
            std::cerr << path << ": no such file or directory\n";
            return 1;
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            runFile(file);
            ++inputs;
        }
    }
    if (inputs == 0) {
        std::cerr << "no inputs\n";
        return 1;
    }
    std::cout << inputs << " inputs replayed\n";
    return 0;
}
