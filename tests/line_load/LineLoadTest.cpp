// The line at its full rate for a long time, and a burst far above it: every byte written
// reaches the parser and every frame comes out once, in order.
//   VELORA_SOAK_SECONDS  length of the soak at line rate (default 5; CI runs 60)
#include <test_support/LineHarness.h>

#include <velora_listener/VeloraListener.h>
#include <velora_protocol/LineSpeed.h>
#include <velora_traffic/TrafficGenerator.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <random>

namespace line_faults {
namespace {

using velora_traffic::Event;
using velora_traffic::RecordingListener;
using velora_traffic::TrafficGenerator;

constexpr double kLineRate = velora_protocol::kCharactersPerSecond;

double soakSeconds() {
    const char* value = std::getenv("VELORA_SOAK_SECONDS");
    return value ? std::atof(value) : 5.0;
}

// Random traffic of at least `size` bytes that ends with a short answer, so that the parser
// has reported every byte when the stream is through.
TrafficGenerator trafficOf(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    TrafficGenerator traffic;
    while (traffic.bytes().size() < size) {
        traffic.randomElement(rng);
    }
    while (!traffic.shortAnswer(5, 0x40)) {
        traffic.noise({0x00});
    }
    return traffic;
}

void runAtRate(double bytesPerSecond, double seconds, std::uint32_t seed) {
    const TrafficGenerator traffic =
        trafficOf(static_cast<std::size_t>(bytesPerSecond * seconds), seed);
    pseudo_terminal::PseudoTerminal line;
    RecordingListener recorder;
    velora_listener::VeloraListener listener(&recorder);
    ASSERT_TRUE(listener.open(line.slavePath())) << listener.lastErrorText();
    listener.start();
    const std::size_t synced = synchronise(line, recorder);

    const double took = writePaced(line, traffic.bytes(), bytesPerSecond);
    const std::size_t expected = synced + traffic.events().size();
    waitFor([&] { return recorder.snapshot().size() >= expected; },
            std::chrono::milliseconds(static_cast<long>(10000 + seconds * 1000)));
    std::this_thread::sleep_for(300ms); // anything extra would show now
    listener.stop();
    EXPECT_TRUE(listener.close());

    const auto events = recorder.snapshot();
    ASSERT_GE(events.size(), synced);
    const std::vector<Event> received(events.begin() + static_cast<long>(synced), events.end());
    EXPECT_EQ(byteCount(received), traffic.bytes().size()) << "bytes lost or duplicated";
    EXPECT_EQ(received.size(), traffic.events().size());
    EXPECT_TRUE(received == traffic.events()) << "frames lost, changed or out of order";
    EXPECT_EQ(recorder.connectionLost, 0);
    std::cout << traffic.bytes().size() << " bytes, " << traffic.events().size()
              << " frames written in " << took << " s ("
              << static_cast<long>(traffic.bytes().size() / took) << " bytes/s), all received\n";
}

TEST(LineLoad, SoakAtTheLineRate) {
    runAtRate(kLineRate, soakSeconds(), 11);
}

TEST(LineLoad, BurstAtFiftyTimesTheLineRate) {
    runAtRate(50 * kLineRate, 3.0, 12);
}

} // namespace
} // namespace line_faults
