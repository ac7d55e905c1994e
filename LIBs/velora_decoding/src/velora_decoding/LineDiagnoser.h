#pragma once

#include <velora_decoding/AnswerTimes.h>
#include <velora_decoding/DeviceStatus.h>
#include <velora_decoding/Diagnosis.h>

#include <velora_protocol/Addresses.h>
#include <velora_protocol/Frame.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace velora_decoding {

// Finds what is wrong with a line from the frames and poll outcomes the device tracker
// hands it. Evidence is gathered per frame without allocating; the thresholds are weighed
// once per block of bytes and on every tick, where a finding that meets them is raised.
// A raised diagnosis stays, its count and newest time growing with further evidence.
class LineDiagnoser {
public:
    // The newest evidence records kept per diagnosis.
    static constexpr std::size_t kEvidenceKept = 64;

    // A block this long is judged for its signal at once, about 0.15 s of a busy line; the
    // whole line's figures are weighed every few blocks.
    static constexpr std::uint64_t kBlockBytes = 256;
    static constexpr std::uint64_t kWeighBlocks = 4;
    // A clean line has almost no trash, a noisy one a few percent; at a wrong speed or
    // with A and B swapped nearly every byte is.
    static constexpr double kSignalTrashShare = 0.8;
    static constexpr std::uint64_t kSignalBlocks = 2;
    // Shares of the trash bytes with bit 0 set beyond which the bit pattern tells the cause.
    static constexpr double kSwappedBit0Share = 0.9;
    static constexpr double kLowerSpeedBit0Share = 0.05;
    // A panel polls several addresses every second; this long without one is not a gap
    // between rounds.
    static constexpr std::int64_t kNoPanelNs = 5'000'000'000;
    // Garbled answers of one address: enough of them, a fifth of its polls, and four
    // times as often as on the line's other answering addresses, so noise that hits
    // every address alike does not count.
    static constexpr std::uint64_t kDuplicateGarbled = 5;
    static constexpr double kDuplicateShare = 0.2;
    static constexpr double kDuplicateConcentration = 4.0;
    // Trash this few frames after trash continues its burst.
    static constexpr std::uint32_t kBurstJoinFrames = 3;
    // Bursts of trash that no duplicated address explains: a plug pulled leaves one, a
    // duplicated address a few that read as frames of other addresses.
    static constexpr std::uint64_t kNoiseBursts = 10;
    // A duplicated address's collisions also leave trash after frames they fake for other
    // addresses, about one in a hundred of its own bursts: noise beside them must be more.
    static constexpr double kNoiseBeside = 0.05;
    // Runs of missed polls that ended with an answer; one is a chance, three a pattern.
    static constexpr std::uint64_t kIntermittentGaps = 3;
    // ... of a device that answers at least a quarter of its polls: bytes of a garbled
    // answer now and then read as the answer of an absent address make no device.
    static constexpr double kIntermittentAnswered = 0.25;
    // A device answers late when its median is three times the line's and at least 5 ms
    // (nine characters) later, over enough answers for a median.
    static constexpr double kSlowFactor = 3.0;
    static constexpr std::int64_t kSlowMarginNs = 5'000'000;
    static constexpr std::uint64_t kSlowAnswers = 10;

    using Handler = std::function<void(const Diagnosis&)>;

    // Reads the tracker's devices, by address, when it weighs the evidence.
    explicit LineDiagnoser(const std::vector<DeviceStatus>& devices);

    // Called for every diagnosis as it is raised, on the thread that feeds.
    void setHandler(Handler handler) { onRaise = std::move(handler); }
    void clear();

    // Every frame, numbered from 0, before its poll outcome.
    void frame(const velora_protocol::Frame& frame, std::uint64_t record);
    // The poll of `address` answered by the frame numbered `record`, answerNs after the
    // poll's end (< 0: unknown).
    void answered(int address, std::uint64_t record, velora_protocol::Timestamp time,
                  std::int64_t answerNs);
    // The poll numbered `pollRecord` was not answered; `byTrash` when trash followed it.
    void missed(int address, std::uint64_t pollRecord, bool byTrash);
    // The line's clock while listening, about once a second: silence is found here.
    void tick(velora_protocol::Timestamp now);
    // Listening begins or goes on after a pause: silence counts from now, and a pause is
    // no gap of the line.
    void resume(velora_protocol::Timestamp now);
    // The end of the line: weighs what is left; a line without a single frame is silent.
    void finish();
    // The converter's count of characters with a bad stop bit since the line was opened.
    void converterErrors(std::uint64_t framing) {
        framingErrors = static_cast<std::int64_t>(framing);
    }

    // The raised diagnoses, most severe first, then by address.
    std::vector<Diagnosis> diagnoses() const;
    // The records of the newest evidence of a diagnosis, oldest first.
    std::vector<std::uint64_t> evidence(const Diagnosis& diagnosis) const;

private:
    // A finding, raised or not yet, with its ring of evidence records.
    struct Finding {
        Diagnosis diagnosis;
        bool raised = false;
        std::size_t kept = 0; // evidence records written so far
    };
    struct AddressState {
        std::uint64_t garbled = 0;        // bursts of trash that belong to the address
        std::uint64_t swallowedPolls = 0; // of them, those that began with its poll
        std::uint32_t missRun = 0;
        bool answeredOnce = false;
    };

    Finding& finding(DiagnosisKind kind, int address);
    const Finding& finding(DiagnosisKind kind, int address) const;
    void note(Finding& found, velora_protocol::Timestamp time, std::uint64_t record);
    void keep(Finding& found, std::uint64_t record);
    void raise(Finding& found);
    void signalBlock();
    bool answeredOnce(int address) const;
    bool expectsAnswer(int address) const;
    void trashFrame(const velora_protocol::Frame& frame, std::uint64_t record);
    void burst(const velora_protocol::Frame& frame, std::uint64_t record);
    void noPanel(const velora_protocol::Frame& frame, std::uint64_t record);
    void silence(velora_protocol::Timestamp now);
    void weigh();
    std::uint64_t weighDuplicates();
    void weighNoise(std::uint64_t explained);
    void weighDevices();

    const std::vector<DeviceStatus>& devices;
    std::vector<Finding> findings;      // by kind and address
    std::vector<std::uint64_t> records; // kEvidenceKept per finding
    std::array<AddressState, velora_protocol::kLastDevice + 1> addresses{};
    Handler onRaise;

    std::uint64_t frames = 0;
    MessageType previous = mtTrash;
    int previousAddress = 0;
    bool burstIsNoise = false; // the newest burst of trash is noise
    std::uint32_t framesSinceTrash = 0;
    bool signalBlockLast = false;
    bool seenFrame = false; // a frame other than trash
    // The block being gathered.
    std::uint64_t blockBytes = 0;
    std::uint64_t blockTrash = 0;
    std::uint64_t blockBit0 = 0;
    std::uint64_t blockRecord = 0;
    std::uint64_t blocks = 0; // judged for their signal
    bool blockHasTrash = false;
    std::uint64_t signalBit0 = 0;
    // The line's answer times and the time above which an answer is late.
    AnswerTimes lineTimes;
    std::int64_t lateNs = 0;
    // Since when no poll came, and the newest frame's time.
    velora_protocol::Timestamp pollsMissingSince;
    velora_protocol::Timestamp lastFrame;
    velora_protocol::Timestamp watchStart;
    bool noPollRun = false;
    bool silentRun = false;
    std::int64_t framingErrors = -1;
};

} // namespace velora_decoding
