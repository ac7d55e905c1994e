#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace line_faults {

// The converter's stand-in: a pseudo-terminal whose slave side the connection opens as its
// port and whose master side the test writes the line traffic into. Closing the master is
// unplugging the converter.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();

    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // The slave's device path, to open as the port.
    const std::string& portPath() const { return slavePath; }

    // Writes every byte, waiting while the terminal's buffer is full. False when the
    // other side is gone.
    bool writeAll(const std::uint8_t* data, std::size_t size);
    bool writeAll(const std::vector<std::uint8_t>& bytes) {
        return writeAll(bytes.data(), bytes.size());
    }
    // Writes what fits now without waiting; the rest is dropped. For background traffic.
    void writeSome(const std::uint8_t* data, std::size_t size);

    void unplug();

private:
    int master = -1;
    std::string slavePath;
};

} // namespace line_faults
