#include <test_support/ParsedEvents.h>
#include <test_support/RecordingListener.h>
#include <velora_listener/ProtocolParser.h>

#include <gtest/gtest.h>

#include <vector>

using velora_listener::ProtocolParser;
using velora_traffic::appendCrc;
using velora_traffic::Event;
using velora_traffic::RecordingListener;
using velora_traffic::TrafficGenerator;
using namespace velora_traffic::events;
using Bytes = std::vector<std::uint8_t>;
using Events = std::vector<Event>;

namespace {

struct FrameListener : velora_listener::ParserEventListener {
    void onFrame(const velora_protocol::Frame& frame) override { frames.push_back(frame); }
    void onUnfinished(const velora_protocol::Frame& bytes) override { frames.push_back(bytes); }
    // Type, address, bytes and the first byte's time of the frames from `from` on.
    std::vector<std::pair<Event, std::int64_t>> from(std::size_t first) const {
        std::vector<std::pair<Event, std::int64_t>> seen;
        for (std::size_t i = first; i < frames.size(); ++i) {
            const velora_protocol::Frame& f = frames[i];
            seen.push_back({{f.type, f.address, f.bytes()}, f.times.first.wallNs});
        }
        return seen;
    }
    std::vector<velora_protocol::Frame> frames;
};

class ParserTest : public ::testing::Test {
protected:
    // Feeds the bytes one at a time and returns the events the last byte produced.
    Events feed(const Bytes& bytes) {
        const std::size_t before = listener.snapshot().size();
        for (const auto b : bytes) {
            parser.feed(b);
            EXPECT_LE(parser.pendingCount(), 11u);
        }
        const Events all = listener.snapshot();
        return Events(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    }

    static Bytes longAnswer(std::uint8_t address) {
        Bytes frame{0x43, address, 0x01, 0x09, 0x0C, 0x00, 0x00, 0x00};
        appendCrc(frame);
        return frame;
    }
    static Bytes command(std::uint8_t first) {
        Bytes frame{first, 0x01, 0x02, 0x03, 0x04, 0x05};
        appendCrc(frame);
        return frame;
    }

    RecordingListener listener;
    ProtocolParser parser{&listener};
};

} // namespace

TEST_F(ParserTest, PollWithShortAnswer) {
    EXPECT_TRUE(feed({0x05}).empty());
    EXPECT_EQ(feed({0x40}), (Events{query(5), shortAnswer(5, 0x40)}));
}

TEST_F(ParserTest, PollRunReportsEachPollWhenTheNextByteConfirmsIt) {
    EXPECT_TRUE(feed({0x05, 0x06}).empty());
    EXPECT_EQ(feed({0x07}), (Events{query(5)}));
    EXPECT_EQ(feed({0x10}), (Events{query(6), query(7)}));
    EXPECT_EQ(feed({0x40}), (Events{query(16), shortAnswer(16, 0x40)}));
}

TEST_F(ParserTest, LoneUnansweredPollBecomesTrashBeforeTheNextFrame) {
    EXPECT_TRUE(feed({0x05, 0x33}).empty());
    EXPECT_EQ(feed({0x40}), (Events{trash({0x05}), query(0x33), shortAnswer(0x33, 0x40)}));
}

TEST_F(ParserTest, LongAnswerThenAcknowledgementOrNewFrame) {
    const Bytes answer = longAnswer(0x21);
    Bytes stream{0x21};
    stream.insert(stream.end(), answer.begin(), answer.end() - 1);
    EXPECT_TRUE(feed(stream).empty());
    EXPECT_EQ(feed({answer.back()}), (Events{query(0x21), {mtLongAnswer, 0x21, answer}}));
    EXPECT_EQ(feed({0x70}), (Events{{mtLongAnswerAck, 0x21, {0x70}}}));

    // Without the acknowledgement the next byte starts a new frame.
    feed({0x21});
    feed(answer);
    EXPECT_EQ(feed({0x07, 0x48}), (Events{query(7), shortAnswer(7, 0x48)}));
}

TEST_F(ParserTest, LongAnswerWithOtherAddressDropsThePollByte) {
    EXPECT_TRUE(feed({0x21, 0x43}).empty());
    EXPECT_TRUE(feed({0x22}).empty());
    // 0x21 went to trash; 0x43 is examined again as a possible poll, with 0x22 after it.
    EXPECT_EQ(parser.currentState(), ProtocolParser::QueryCandidate);
    EXPECT_EQ(feed({0x40}), (Events{trash({0x21, 0x43}), query(0x22), shortAnswer(0x22, 0x40)}));
}

TEST_F(ParserTest, CommandThenAcknowledgement) {
    const Bytes frame = command(0x85);
    EXPECT_TRUE(feed(Bytes(frame.begin(), frame.end() - 1)).empty());
    EXPECT_EQ(feed({frame.back()}), (Events{{mtCommand, 5, frame}}));
    EXPECT_EQ(feed({0x50}), (Events{{mtCommandAck, 5, {0x50}}}));
}

// The seven bytes after the first byte of a rejected command are examined again, with
// nothing confirming them as polls: a byte such as 0x11 must not come out as a poll.
TEST_F(ParserTest, CommandWithWrongCrcIsTrashAndItsBytesAreNotPolls) {
    Bytes frame{0x85, 0x11, 0x30, 0x22, 0x07, 0x45};
    appendCrc(frame);
    frame[1] ^= 0x01;
    feed(frame);
    feed(Bytes(8, 0x00));
    parser.flush();
    Bytes reported;
    for (const Event& e : listener.snapshot()) {
        EXPECT_EQ(e.type, mtTrash) << "type " << e.type << " address " << e.address;
        reported.insert(reported.end(), e.bytes.begin(), e.bytes.end());
    }
    Bytes all = frame;
    all.insert(all.end(), 8, 0x00);
    EXPECT_EQ(reported, all);
}

// Data bytes 01 02 03 04 form a genuine poll run once the command is rejected; the
// flipped byte and the CRC bytes after the run are trash, not polls.
TEST_F(ParserTest, RejectedCommandWithRunInsideReportsOnlyTheRun) {
    Bytes frame = command(0x85);
    frame[5] ^= 0x01;
    feed(frame);
    feed({0x00});
    parser.flush();
    const Bytes tail(frame.begin() + 5, frame.end());
    Bytes expectedTrash{0x85};
    Events expected{trash(expectedTrash), query(1), query(2), query(3), query(4)};
    Bytes rest(tail);
    rest.push_back(0x00);
    expected.push_back(trash(rest));
    EXPECT_EQ(listener.snapshot(), expected);
}

TEST_F(ParserTest, PollRunToAddress127EndsBeforeByte0x80) {
    feed({0x7E, 0x7F, 0x80, 0x80});
    parser.flush();
    EXPECT_EQ(listener.snapshot(), (Events{query(0x7E), query(0x7F), trash({0x80, 0x80})}));
}

TEST_F(ParserTest, PollRunEndingBeforeRejectedBytesReportsOnlyItsOwnLastPoll) {
    // A run 0x01 0x02, then 0x11 0x30: 0x02 is the run's last poll; 0x11 and 0x30 are not.
    feed({0x01, 0x02, 0x11, 0x30, 0x00});
    parser.flush();
    EXPECT_EQ(listener.snapshot(), (Events{query(1), query(2), trash({0x11, 0x30, 0x00})}));
}

TEST_F(ParserTest, TrashIsHandedOverInPiecesOfEight) {
    EXPECT_TRUE(feed(Bytes(7, 0x00)).empty());
    EXPECT_EQ(feed({0x00}), (Events{trash(Bytes(8, 0x00))}));
    EXPECT_TRUE(feed({0x80}).empty());
    EXPECT_EQ(feed({0x05, 0x40}), (Events{trash({0x80}), query(5), shortAnswer(5, 0x40)}));
}

TEST_F(ParserTest, ZeroAndBareCommandBitNeverStartAFrame) {
    feed({0x80, 0x00, 0x80});
    EXPECT_EQ(parser.currentState(), ProtocolParser::Idle);
    EXPECT_EQ(parser.pendingCount(), 0u);
    parser.flush();
    EXPECT_EQ(listener.snapshot(), (Events{trash({0x80, 0x00, 0x80})}));
}

TEST_F(ParserTest, HeaderBitRules) {
    EXPECT_TRUE(ProtocolParser::isShortAnswer(0x40));
    EXPECT_FALSE(ProtocolParser::isShortAnswer(0x58));
    EXPECT_FALSE(ProtocolParser::isLongAnswerHeader(0x58));
    EXPECT_FALSE(ProtocolParser::isLongAnswerHeader(0x5A));
    EXPECT_TRUE(ProtocolParser::isLongAnswerHeader(0x42));
    EXPECT_TRUE(ProtocolParser::isLongAnswerHeader(0x43));
    EXPECT_EQ(TrafficGenerator::shortAnswerValues(), (Bytes{0x40, 0x48, 0x50, 0x60, 0x68, 0x70}));
}

TEST(ParserProperty, GeneratedStreamsGiveExactlyTheExpectedEvents) {
    for (std::uint32_t seed = 1; seed <= 3000; ++seed) {
        SCOPED_TRACE(seed);
        const TrafficGenerator traffic = TrafficGenerator::random(seed, 40);
        // Everything but the last frame is certain once the stream ends; flush settles
        // the trash, and a last frame still waiting is completed by a terminating poll.
        Bytes bytes = traffic.bytes();
        bytes.push_back(0x00);
        const std::vector<Event> got = velora_traffic::parseAll(bytes);
        std::vector<Event> expected = traffic.events();
        ASSERT_GE(got.size(), expected.size()) << "seed " << seed;
        ASSERT_EQ(Events(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(expected.size())),
                  expected)
            << "seed " << seed;
    }
}

// Every frame carries the times of its own first and last byte: byte i of the stream
// arrives at i + 1 ns. The frames, joined, are the stream's bytes in order, and they are
// the reports that the callbacks get.
TEST(ParserProperty, FramesCarryTheTimesOfTheirFirstAndLastByte) {
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        const auto traffic = TrafficGenerator::random(seed, 200);
        FrameListener listener;
        ProtocolParser parser(&listener);
        std::int64_t arrival = 0;
        for (const auto b : traffic.bytes()) {
            parser.feed(b, velora_protocol::Timestamp::recorded(++arrival));
        }
        parser.flush();

        Bytes joined;
        Events events;
        for (const auto& frame : listener.frames) {
            const auto firstIndex = static_cast<std::int64_t>(joined.size()) + 1;
            EXPECT_EQ(frame.times.first.wallNs, firstIndex) << "seed " << seed;
            EXPECT_EQ(frame.times.last.wallNs, firstIndex + frame.size - 1) << "seed " << seed;
            joined.insert(joined.end(), frame.begin(), frame.end());
            events.push_back({frame.type, frame.address, frame.bytes()});
        }
        ASSERT_LE(joined.size(), traffic.bytes().size());
        EXPECT_TRUE(std::equal(joined.begin(), joined.end(), traffic.bytes().begin()));
        EXPECT_EQ(events, traffic.eventsAfterFlush()) << "seed " << seed;
    }
}

// unfinished() is what endOfStream() would hand over at any point of a stream, and the
// parser asked goes on as if it had not been.
TEST(ParserProperty, UnfinishedIsTheEndOfStreamLeftUndone) {
    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE(seed);
        const Bytes bytes = TrafficGenerator::random(seed, 30).bytes();
        const std::size_t cut = seed % bytes.size();
        FrameListener ended;
        FrameListener asked;
        FrameListener plain;
        ProtocolParser ending(&ended);
        ProtocolParser asking(&asked);
        ProtocolParser parser(&plain);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto time = velora_protocol::Timestamp::recorded(std::int64_t(i) + 1);
            if (i == cut) {
                const std::size_t before = ended.frames.size();
                ending.endOfStream();
                FrameListener pieces;
                pieces.frames = asking.unfinished();
                ASSERT_EQ(pieces.from(0), ended.from(before));
            }
            if (i < cut) {
                ending.feed(bytes[i], time);
            }
            asking.feed(bytes[i], time);
            parser.feed(bytes[i], time);
        }
        EXPECT_EQ(asked.from(0), plain.from(0));
    }
}
