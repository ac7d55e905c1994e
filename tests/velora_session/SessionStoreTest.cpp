#include <velora_session/CaptureLoader.h>
#include <velora_session/SessionStore.h>
#include <velora_session/SpillWriter.h>
#include <velora_session/VisibleRows.h>

#include <velora_capture/CaptureReader.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>

namespace {

velora_protocol::Frame frameNumber(std::uint64_t i) {
    const auto time = velora_protocol::Timestamp::recorded(std::int64_t(1 + i) * 1'000'000);
    const auto address = std::uint8_t(1 + i % 126);
    return velora_protocol::Frame::of(mtQuery, address, std::vector<std::uint8_t>{address},
                                      {time, time});
}

// A folder of its own for a test, removed with it.
struct TempDir {
    TempDir()
        : path(std::filesystem::temp_directory_path() /
               ("velora-session-" + std::to_string(std::random_device{}()))) {
        std::filesystem::create_directories(path);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string file(const char* name) const { return (path / name).string(); }
    std::filesystem::path path;
};

// Every frame time in a capture file, in order.
std::vector<std::int64_t> frameTimes(const std::string& path) {
    velora_capture::CaptureReader reader;
    std::vector<std::int64_t> times;
    EXPECT_TRUE(reader.open(path));
    velora_capture::Piece piece;
    while (reader.next(piece)) {
        times.push_back(piece.time.wallNs);
    }
    EXPECT_FALSE(reader.damaged());
    return times;
}

} // namespace

// Beyond its window in memory the store reads its records back from its capture file; the
// gaps, which the file does not hold, keep their places. Saving writes every frame.
TEST(SessionStore, ReadsDroppedBlocksBackAndSavesTheWholeSession) {
    TempDir dir;
    SessionStore store(dir.path.string(), 1);
    const std::uint64_t frames = 3 * SessionStore::kBlockSize + 17;
    const std::uint64_t gapAt = SessionStore::kBlockSize + 5;
    for (std::uint64_t i = 0; i < frames; ++i) {
        if (i == gapAt) {
            store.appendGap(7'000'000, 9'000'000);
        }
        store.append(frameNumber(i));
    }
    ASSERT_EQ(store.size(), frames + 1);
    store.flush();
    EXPECT_LE(store.blocksInMemory(), 2u);
    EXPECT_FALSE(store.spillFailed());

    for (const std::uint64_t index : {std::uint64_t(0), gapAt - 1, gapAt, gapAt + 1,
                                      std::uint64_t(2 * SessionStore::kBlockSize), frames}) {
        SCOPED_TRACE(index);
        const FrameRecord& record = store.record(index);
        if (index == gapAt) {
            EXPECT_TRUE(record.isGap());
            EXPECT_EQ(record.wallNs, 7'000'000);
            EXPECT_EQ(store.gapEnd(index), 9'000'000);
            continue;
        }
        const auto expected = frameNumber(index > gapAt ? index - 1 : index);
        EXPECT_EQ(record.type, mtQuery);
        EXPECT_EQ(record.address, expected.address);
        EXPECT_EQ(store.address(index), expected.address);
        EXPECT_EQ(record.wallNs, expected.times.first.wallNs);
        ASSERT_EQ(record.size, 1);
        EXPECT_EQ(record.data[0], expected.data[0]);
    }

    const std::string saved = dir.file("saved.pcap");
    std::string error;
    ASSERT_TRUE(store.save(saved, error)) << error;
    const std::vector<std::int64_t> times = frameTimes(saved);
    ASSERT_EQ(times.size(), frames);
    for (std::uint64_t i = 0; i < frames; ++i) {
        ASSERT_EQ(times[i], frameNumber(i).times.first.wallNs) << i;
    }

    const std::string spill = store.spillPath();
    store.clear();
    EXPECT_EQ(store.size(), 0u);
    EXPECT_FALSE(std::filesystem::exists(spill)) << "a session's file goes with it";
}

// A recording cut off inside an answer: its last bytes are no frame of the session, yet a
// save of the loaded session ends with them, so its file holds every byte of the line.
TEST(SessionStore, ALoadedRecordingSavesWithTheBytesItEndedWith) {
    TempDir dir;
    const std::vector<char> line{0x01, 0x50, 0x02, 0x43, 0x02, 0x01};
    std::ofstream(dir.file("cut.bin"), std::ios::binary).write(line.data(), line.size());
    SessionStore store(dir.path.string(), 4);
    CaptureLoader loader;
    ASSERT_TRUE(loader.load(dir.file("cut.bin"), [&store](const auto& frames) {
        for (const auto& frame : frames) {
            store.append(frame);
        }
    }));
    EXPECT_EQ(store.size(), 2u) << "poll and answer; the next poll waits for its answer";
    store.setEnding(loader.unfinished());
    std::string error;
    ASSERT_TRUE(store.save(dir.file("saved.pcap"), error)) << error;
    velora_capture::CaptureReader reader;
    ASSERT_TRUE(reader.open(dir.file("saved.pcap")));
    std::vector<char> saved;
    velora_capture::Piece piece;
    while (reader.next(piece)) {
        saved.insert(saved.end(), piece.data, piece.data + piece.size);
    }
    EXPECT_EQ(saved, line);
}

TEST(SessionStore, AFileThatCannotBeWrittenKeepsTheSessionInMemory) {
    SessionStore store("/proc/velora-no-such-directory", 1);
    for (std::uint64_t i = 0; i < 3 * SessionStore::kBlockSize; ++i) {
        store.append(frameNumber(i));
    }
    store.flush();
    EXPECT_TRUE(store.spillFailed());
    EXPECT_FALSE(store.spillError().empty());
    EXPECT_EQ(store.blocksInMemory(), 3u);
    EXPECT_EQ(store.record(5).address, frameNumber(5).address);
}

// A writer whose disk stalls until released.
class StallingWriter : public SpillWriter {
public:
    ~StallingWriter() override { close(); }
    std::promise<void> stalled;
    std::promise<void> release;

protected:
    bool put(velora_capture::CaptureWriter& file, const velora_protocol::Frame& frame) override {
        if (!waited) {
            waited = true;
            stalled.set_value();
            release.get_future().wait();
        }
        return SpillWriter::put(file, frame);
    }

private:
    bool waited = false;
};

// While the disk stalls the frames wait in memory, and the side that hands them over goes on;
// once the disk takes them again, the file holds every frame in order.
TEST(SpillWriter, AStalledDiskHoldsNoOneUpAndLosesNothing) {
    TempDir dir;
    StallingWriter writer;
    writer.start(dir.file("stalled.pcap"));
    const std::uint64_t frames = 50'000;
    for (std::uint64_t i = 0; i < frames / 2; ++i) {
        writer.write(frameNumber(i));
    }
    ASSERT_EQ(writer.stalled.get_future().wait_for(std::chrono::seconds(10)),
              std::future_status::ready);
    const auto begin = std::chrono::steady_clock::now();
    for (std::uint64_t i = frames / 2; i < frames; ++i) {
        writer.write(frameNumber(i));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(2));
    writer.release.set_value();
    writer.close();
    EXPECT_FALSE(writer.failed()) << writer.errorText();
    const std::vector<std::int64_t> times = frameTimes(dir.file("stalled.pcap"));
    ASSERT_EQ(times.size(), frames);
    for (std::uint64_t i = 0; i < frames; ++i) {
        ASSERT_EQ(times[i], frameNumber(i).times.first.wallNs) << i;
    }
}

TEST(VisibleRows, RowsAndRecordsMapBothWays) {
    for (const double share : {0.0, 0.01, 0.5, 1.0}) {
        SCOPED_TRACE(share);
        std::mt19937 rng(3);
        std::bernoulli_distribution shown(share);
        VisibleRows rows;
        std::vector<std::uint64_t> expected;
        const std::uint64_t records = 3 * 4096 + 77;
        for (std::uint64_t i = 0; i < records; ++i) {
            const bool on = shown(rng);
            rows.append(on);
            if (on) {
                expected.push_back(i);
            }
        }
        ASSERT_EQ(rows.rowCount(), expected.size());
        for (std::uint64_t row = 0; row < expected.size(); ++row) {
            ASSERT_EQ(rows.recordAt(row), expected[row]) << row;
        }
        for (std::uint64_t record = 0; record <= records; record += 37) {
            const auto next = std::lower_bound(expected.begin(), expected.end(), record);
            ASSERT_EQ(rows.rowAtOrAfter(record), std::uint64_t(next - expected.begin())) << record;
        }
    }
}
