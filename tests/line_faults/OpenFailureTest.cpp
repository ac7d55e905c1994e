// Ports that cannot be opened: open() says false with a reason and leaves nothing open.
#include <test_support/ProcessProbe.h>
#include <test_support/PseudoTerminal.h>

#include <rs485/RS485Connection.h>
#include <test_support/RecordingListener.h>
#include <velora_listener/VeloraListener.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdlib.h>
#include <string>

namespace line_faults {
namespace {

namespace fs = std::filesystem;

class OpenFailure : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "velora-open-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        scratch = pattern;
    }
    void TearDown() override { fs::remove_all(scratch); }

    // Opening fails with a reason that names the port, and leaves no descriptor behind;
    // the same connection then opens a good port.
    void expectRefused(const std::string& port) {
        rs485::RS485Connection connection;
        const std::size_t descriptors = openDescriptorCount();
        EXPECT_FALSE(connection.open(port, 19200));
        EXPECT_FALSE(connection.isOpen());
        EXPECT_NE(connection.lastErrorText().find(port), std::string::npos)
            << connection.lastErrorText();
        EXPECT_EQ(openDescriptorCount(), descriptors);

        {
            pseudo_terminal::PseudoTerminal good;
            EXPECT_TRUE(connection.open(good.slavePath(), 19200)) << connection.lastErrorText();
            EXPECT_TRUE(connection.lastErrorText().empty());
            EXPECT_TRUE(connection.close());
        }
        EXPECT_EQ(openDescriptorCount(), descriptors);
    }

    fs::path scratch;
};

TEST_F(OpenFailure, MissingPath) {
    expectRefused((scratch / "ttyUSB9").string());
}

TEST_F(OpenFailure, RegularFileIsNotASerialPort) {
    const auto file = scratch / "capture.bin";
    std::ofstream(file) << "not a port";
    expectRefused(file.string());
}

TEST_F(OpenFailure, DirectoryIsNotASerialPort) {
    expectRefused(scratch.string());
    rs485::RS485Connection connection;
    connection.open(scratch.string(), 19200);
    EXPECT_NE(connection.lastErrorText().find("не является последовательным портом"),
              std::string::npos)
        << connection.lastErrorText();
}

TEST_F(OpenFailure, CharacterDeviceThatIsNotATerminal) {
    expectRefused("/dev/null");
}

TEST_F(OpenFailure, PortHeldByAnotherInstance) {
    pseudo_terminal::PseudoTerminal line;
    velora_traffic::RecordingListener recorder;
    velora_listener::VeloraListener first(&recorder);
    ASSERT_TRUE(first.open(line.slavePath())) << first.lastErrorText();

    velora_listener::VeloraListener second(&recorder);
    const std::size_t descriptors = openDescriptorCount();
    EXPECT_FALSE(second.open(line.slavePath()));
    EXPECT_FALSE(second.isOpen());
    EXPECT_NE(second.lastErrorText().find("занят"), std::string::npos) << second.lastErrorText();
    EXPECT_EQ(openDescriptorCount(), descriptors);

    // Once the first lets go, the second gets the port.
    EXPECT_TRUE(first.close());
    EXPECT_TRUE(second.open(line.slavePath())) << second.lastErrorText();
    EXPECT_TRUE(second.close());
}

} // namespace
} // namespace line_faults
