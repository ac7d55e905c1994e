#pragma once

#include <velora_decoding/DeviceChange.h>
#include <velora_decoding/DeviceStatus.h>
#include <velora_decoding/LineDiagnoser.h>
#include <velora_decoding/LineTotals.h>
#include <velora_decoding/PointChange.h>

#include <velora_protocol/Addresses.h>
#include <velora_protocol/Frame.h>

#include <cstddef>
#include <functional>
#include <vector>

namespace velora_decoding {

// Follows every device of the line from every frame the parser reports, whatever a view
// shows: counts, missed answers, presence, the states of the last answer with data and
// answer times, the line's totals and what is wrong with it. Feeding a frame allocates nothing (a
// change appends to the list of changes, which is reserved ahead).
class DeviceTracker {
public:
    static constexpr int kFirstAddress = velora_protocol::kFirstDevice;
    static constexpr int kLastAddress = velora_protocol::kLastDevice;
    // Missed polls in a row after which an answering device counts as lost.
    static constexpr std::uint32_t kLostAfterMisses = 3;
    // The newest changes kept; older ones are counted as dropped.
    static constexpr std::size_t kMaxChanges = 4096;

    using ChangeHandler = std::function<void(const DeviceChange&)>;
    using PointHandler = std::function<void(const PointChange&)>;

    DeviceTracker();
    // The diagnoser reads this tracker's devices.
    DeviceTracker(const DeviceTracker&) = delete;
    DeviceTracker& operator=(const DeviceTracker&) = delete;

    // Called for every change as it is found, on the thread that feeds.
    void setChangeHandler(ChangeHandler handler) { onChange = std::move(handler); }
    // Called for every new state of a loop, line or tamper contact (a walk test's input).
    void setPointHandler(PointHandler handler) { onPoint = std::move(handler); }

    void feed(const velora_protocol::Frame& frame);
    // The clock while listening, about once a second, and the end of the line: see
    // LineDiagnoser.
    void tick(velora_protocol::Timestamp now) { diagnoser.tick(now); }
    void resume(velora_protocol::Timestamp now) { diagnoser.resume(now); }
    void finish() { diagnoser.finish(); }
    void converterErrors(std::uint64_t framing) { diagnoser.converterErrors(framing); }
    // Forgets everything, as before the first frame.
    void clear();

    // Address 1..126; std::out_of_range otherwise.
    const DeviceStatus& device(int address) const;
    const LineTotals& line() const { return totals; }
    const std::vector<DeviceChange>& changes() const { return changeList; }
    std::size_t droppedChanges() const { return dropped; }
    // Frames are numbered from 0 in the order fed; the evidence names them so.
    const LineDiagnoser& diagnosis() const { return diagnoser; }
    void setDiagnosisHandler(LineDiagnoser::Handler handler) {
        diagnoser.setHandler(std::move(handler));
    }

private:
    void pollDecided(const velora_protocol::Frame& next);
    void answered(DeviceStatus& device, const velora_protocol::Frame& frame);
    void longAnswer(DeviceStatus& device, const velora_protocol::Frame& frame);
    void updatePresence(DeviceStatus& device, int address, velora_protocol::Timestamp time);
    void report(DeviceChange change);
    void pointChanged(const PointChange& change);

    std::vector<DeviceStatus> devices; // by address, 0 unused
    LineTotals totals;
    std::vector<DeviceChange> changeList;
    std::size_t dropped = 0;
    ChangeHandler onChange;
    PointHandler onPoint;
    // The last frame was a poll of this address (0: it was not).
    int pendingPoll = 0;
    velora_protocol::FrameTimes pollTime;
    std::uint64_t pollRecord = 0;
    LineDiagnoser diagnoser{devices};
};

} // namespace velora_decoding
