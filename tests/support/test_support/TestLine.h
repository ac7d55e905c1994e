#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

// The line at the far end of the port under test, which each platform provides: a
// pseudo-terminal on POSIX systems, the other COM port of a null-modem cable under Wine.
// What the line writes the port receives; what the port sends the line reads.
class TestLine {
public:
    virtual ~TestLine() = default;

    // The name the port under test is opened by.
    virtual std::string portName() const = 0;
    // Called before every open of the port under test.
    virtual void prepareOpen() {}
    virtual void write(const std::vector<std::uint8_t>& bytes) = 0;
    // What the port under test sent, up to count bytes, waiting at most timeout overall.
    virtual std::vector<std::uint8_t> readSent(std::size_t count,
                                               std::chrono::milliseconds timeout) = 0;
    // Pulls the converter out and plugs it in again: the open port is gone, and
    // portName() opens the new one.
    virtual void replugConverter() = 0;
    // Whether the port under test sends mark parity; empty where the line cannot tell.
    virtual std::optional<bool> sendsMarkParity() const = 0;
};

// The platform's line; empty, with the reason in whyNot, where there is none.
std::unique_ptr<TestLine> makeTestLine(std::string& whyNot);

// A test with the platform's line; skipped where there is none.
class LineTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string whyNot;
        line = makeTestLine(whyNot);
        if (!line) {
            GTEST_SKIP() << whyNot;
        }
    }

    std::unique_ptr<TestLine> line;
};

} // namespace test_support
