#include <velora_decoding/LineDiagnoser.h>

#include <algorithm>
#include <tuple>

namespace velora_decoding {

namespace {

using velora_protocol::Frame;
using velora_protocol::Timestamp;

constexpr std::size_t kSlots = velora_protocol::kLastDevice + 1;

std::size_t slot(DiagnosisKind kind, int address) {
    return static_cast<std::size_t>(kind) * kSlots + static_cast<std::size_t>(address);
}

std::int64_t since(Timestamp from, Timestamp to) {
    return to.steadyNs - from.steadyNs;
}

} // namespace

LineDiagnoser::LineDiagnoser(const std::vector<DeviceStatus>& devices)
    : devices(devices)
    , findings(kDiagnosisKinds * kSlots)
    , records(findings.size() * kEvidenceKept) {
    clear();
}

void LineDiagnoser::clear() {
    for (std::size_t i = 0; i < findings.size(); ++i) {
        findings[i] = Finding{};
        findings[i].diagnosis.kind = static_cast<DiagnosisKind>(i / kSlots);
        findings[i].diagnosis.address = static_cast<int>(i % kSlots);
    }
    addresses.fill(AddressState{});
    frames = 0;
    previous = mtTrash;
    previousAddress = 0;
    burstIsNoise = signalBlockLast = false;
    framesSinceTrash = kBurstJoinFrames + 1;
    seenFrame = false;
    blockBytes = blockTrash = blockBit0 = blockRecord = signalBit0 = blocks = 0;
    blockHasTrash = false;
    lineTimes = AnswerTimes{};
    lateNs = 0;
    pollsMissingSince = lastFrame = watchStart = Timestamp{};
    noPollRun = silentRun = false;
    framingErrors = -1;
}

LineDiagnoser::Finding& LineDiagnoser::finding(DiagnosisKind kind, int address) {
    return findings[slot(kind, address)];
}

const LineDiagnoser::Finding& LineDiagnoser::finding(DiagnosisKind kind, int address) const {
    return findings[slot(kind, address)];
}

void LineDiagnoser::note(Finding& found, Timestamp time, std::uint64_t record) {
    Diagnosis& d = found.diagnosis;
    if (d.count == 0 || !d.first.known()) {
        d.first = time;
    }
    d.last = time;
    d.count += 1;
    keep(found, record);
}

void LineDiagnoser::keep(Finding& found, std::uint64_t record) {
    const std::size_t index = static_cast<std::size_t>(&found - findings.data());
    records[index * kEvidenceKept + found.kept % kEvidenceKept] = record;
    found.kept += 1;
}

void LineDiagnoser::raise(Finding& found) {
    if (found.raised) {
        return;
    }
    found.raised = true;
    if (onRaise) {
        onRaise(found.diagnosis);
    }
}

void LineDiagnoser::frame(const Frame& frame, std::uint64_t record) {
    frames = record + 1;
    const bool trash = frame.type == mtTrash;
    if (trash) {
        trashFrame(frame, record);
    } else {
        framesSinceTrash += 1;
    }
    noPanel(frame, record);
    previous = frame.type;
    previousAddress = frame.address;
    seenFrame = seenFrame || !trash;
    blockBytes += frame.size;
    if (blockBytes >= kBlockBytes) {
        signalBlock();
        if (blocks % kWeighBlocks == 0) {
            weigh();
        }
    }
}

void LineDiagnoser::trashFrame(const Frame& frame, std::uint64_t record) {
    if (framesSinceTrash > kBurstJoinFrames) {
        burstIsNoise = false;
        burst(frame, record);
    }
    framesSinceTrash = 0;
    if (burstIsNoise) {
        finding(DiagnosisKind::Noise, 0).diagnosis.figure += frame.size;
    }
    blockTrash += frame.size;
    for (const std::uint8_t byte : frame) {
        blockBit0 += byte & 1U;
    }
    if (!blockHasTrash) {
        blockHasTrash = true;
        blockRecord = record;
    }
}

bool LineDiagnoser::answeredOnce(int address) const {
    return velora_protocol::isDeviceAddress(address) &&
           devices[static_cast<std::size_t>(address)].everAnswered;
}

bool LineDiagnoser::expectsAnswer(int address) const {
    if (!velora_protocol::isDeviceAddress(address)) {
        return false;
    }
    const DeviceStatus& device = devices[static_cast<std::size_t>(address)];
    return device.everAnswered && device.presence != Presence::Lost;
}

// A burst of trash, where it begins. Its first byte, when it is a device's address, is
// that device's poll left unconfirmed by the garbled answer after it; otherwise the burst
// belongs to the device of the frame before it: a poll's garbled answer, or the rest of a
// second answer longer than the first. Trash a few frames after trash belongs to the same
// burst: a garbled answer may hold bytes that read as a poll and its answer. Every burst
// is noise unless it concentrates on one address (see weighNoise()). A lone poll byte is
// the poll of an absent device that nothing confirmed; trash before the first frame a
// capture's start.
void LineDiagnoser::burst(const Frame& frame, std::uint64_t record) {
    const int first = frame.data[0];
    if (!seenFrame || (frame.size == 1 && velora_protocol::isPolledAddress(first))) {
        return;
    }
    burstIsNoise = true;
    note(finding(DiagnosisKind::Noise, 0), frame.times.first, record);
    const int owner = velora_protocol::isDeviceAddress(first) ? first : previousAddress;
    if (answeredOnce(owner)) {
        addresses[static_cast<std::size_t>(owner)].garbled += 1;
        addresses[static_cast<std::size_t>(owner)].swallowedPolls += owner == first ? 1 : 0;
        Finding& found = finding(DiagnosisKind::DuplicateAddress, owner);
        if (owner == previousAddress && record > 0) {
            keep(found, record - 1);
        }
        note(found, frame.times.first, record);
    }
}

// Frames other than polls for kNoPanelNs, counted from the newest poll or from the end of
// a silence (a paused capture is not a panel gone).
void LineDiagnoser::noPanel(const Frame& frame, std::uint64_t record) {
    const Timestamp time = frame.times.first;
    if (!time.known()) {
        return;
    }
    if (!lastFrame.known() || since(lastFrame, time) >= kNoPanelNs || frame.type == mtQuery) {
        pollsMissingSince = time;
        noPollRun = false;
    }
    silentRun = false;
    lastFrame = frame.times.last;
    const std::int64_t gap = since(pollsMissingSince, time);
    if (frame.type == mtQuery || gap < kNoPanelNs) {
        return;
    }
    Finding& found = finding(DiagnosisKind::NoPanel, 0);
    Diagnosis& d = found.diagnosis;
    if (!noPollRun) { // one run of frames without polls counts once
        noPollRun = true;
        d.count += 1;
        if (!d.first.known()) {
            d.first = pollsMissingSince;
        }
    }
    d.last = time;
    keep(found, record);
    d.figure = std::max(d.figure, gap);
    d.silent = false;
    if (!finding(DiagnosisKind::LineSignal, 0).raised) {
        raise(found);
    }
}

void LineDiagnoser::tick(Timestamp now) {
    if (!watchStart.known()) {
        watchStart = now;
    }
    silence(now);
    weigh();
}

void LineDiagnoser::resume(Timestamp now) {
    watchStart = now;
    lastFrame = Timestamp{};
    silentRun = false;
}

// Nothing at all for kNoPanelNs while listening.
void LineDiagnoser::silence(Timestamp now) {
    const Timestamp from = lastFrame.known() ? lastFrame : watchStart;
    const std::int64_t quiet = since(from, now);
    if (quiet < kNoPanelNs) {
        return;
    }
    Finding& found = finding(DiagnosisKind::NoPanel, 0);
    Diagnosis& d = found.diagnosis;
    if (!silentRun) {
        silentRun = true;
        d.count += 1;
        if (!d.first.known()) {
            d.first = from;
        }
    }
    d.last = now;
    d.figure = std::max(d.figure, quiet);
    d.silent = true;
    raise(found);
}

// A line shorter than kSignalBlocks blocks is a wrong signal when all of it was mostly trash.
void LineDiagnoser::finish() {
    if (blockBytes > 0) {
        signalBlock();
    }
    Finding& signal = finding(DiagnosisKind::LineSignal, 0);
    if (signal.diagnosis.count > 0 && signal.diagnosis.count == blocks) {
        raise(signal);
    }
    signalBlockLast = false;
    weigh();
    if (frames == 0) {
        Finding& found = finding(DiagnosisKind::NoPanel, 0);
        found.diagnosis.silent = true;
        found.diagnosis.count = std::max<std::uint64_t>(found.diagnosis.count, 1);
        raise(found);
    }
}

void LineDiagnoser::answered(int address, std::uint64_t record, Timestamp time,
                             std::int64_t answerNs) {
    AddressState& state = addresses[static_cast<std::size_t>(address)];
    if (state.missRun > 0 && state.answeredOnce) {
        Finding& found = finding(DiagnosisKind::Intermittent, address);
        found.diagnosis.figure += state.missRun;
        note(found, time, record);
    }
    state.missRun = 0;
    state.answeredOnce = true;
    if (answerNs < 0) {
        return;
    }
    lineTimes.add(answerNs);
    if (lateNs > 0 && answerNs > lateNs) {
        note(finding(DiagnosisKind::SlowAnswer, address), time, record);
    }
}

// A poll that trash followed is a garbled answer (see burst()), and a poll just after
// trash may be bytes of it read as a poll; any other miss of an answering device may begin
// a gap in its answers.
void LineDiagnoser::missed(int address, std::uint64_t pollRecord, bool byTrash) {
    // The poll and the frame after it came since the newest trash.
    const bool nearTrash = framesSinceTrash <= kBurstJoinFrames + 2;
    if (!byTrash && !nearTrash && expectsAnswer(address)) {
        addresses[static_cast<std::size_t>(address)].missRun += 1;
        keep(finding(DiagnosisKind::Intermittent, address), pollRecord);
    }
}

// A block of mostly trash is evidence of a wrong signal; the trash bytes' bit 0 tells
// which.
void LineDiagnoser::signalBlock() {
    Finding& found = finding(DiagnosisKind::LineSignal, 0);
    Diagnosis& d = found.diagnosis;
    signalBlockLast = blockHasTrash && static_cast<double>(blockTrash) >=
                                           kSignalTrashShare * static_cast<double>(blockBytes);
    if (signalBlockLast) {
        note(found, lastFrame, blockRecord);
        d.figure += static_cast<std::int64_t>(blockTrash);
        d.reference += static_cast<std::int64_t>(blockBytes);
        signalBit0 += blockBit0;
        const double bit0 = static_cast<double>(signalBit0) / static_cast<double>(d.figure);
        d.cause = bit0 >= kSwappedBit0Share      ? SignalCause::SwappedAB
                  : bit0 <= kLowerSpeedBit0Share ? SignalCause::LowerSpeed
                                                 : SignalCause::OtherSpeed;
        if (d.count >= kSignalBlocks) {
            raise(found);
        }
    }
    blockBytes = blockTrash = blockBit0 = 0;
    blockHasTrash = false;
    blocks += 1;
}

// The findings that need the whole line's figures; none while the signal looks wrong, as
// every frame then is a chance.
void LineDiagnoser::weigh() {
    if (signalBlockLast || finding(DiagnosisKind::LineSignal, 0).raised) {
        return;
    }
    weighNoise(weighDuplicates());
    weighDevices();
}

// Bursts of trash concentrated on one answering address are its garbled answers; the rest
// is noise. Returns the bursts so explained.
std::uint64_t LineDiagnoser::weighDuplicates() {
    std::uint64_t allGarbled = 0;
    std::uint64_t polls = 0;
    for (int a = velora_protocol::kFirstDevice; a <= velora_protocol::kLastDevice; ++a) {
        if (addresses[static_cast<std::size_t>(a)].answeredOnce) {
            allGarbled += addresses[static_cast<std::size_t>(a)].garbled;
            polls += devices[static_cast<std::size_t>(a)].polls;
        }
    }
    std::uint64_t explained = 0;
    for (int a = velora_protocol::kFirstDevice; a <= velora_protocol::kLastDevice; ++a) {
        const std::uint64_t own = addresses[static_cast<std::size_t>(a)].garbled;
        const std::uint64_t ownPolls = devices[static_cast<std::size_t>(a)].polls;
        if (own == 0 || ownPolls == 0 || !addresses[static_cast<std::size_t>(a)].answeredOnce) {
            continue;
        }
        const double share = static_cast<double>(own) / static_cast<double>(ownPolls);
        const std::uint64_t otherPolls = polls - ownPolls;
        const double others = otherPolls == 0 ? 0.0
                                              : static_cast<double>(allGarbled - own) /
                                                    static_cast<double>(otherPolls);
        if (share < kDuplicateConcentration * others) {
            continue;
        }
        explained += own;
        if (own >= kDuplicateGarbled && share >= kDuplicateShare) {
            raise(finding(DiagnosisKind::DuplicateAddress, a));
        }
    }
    return explained;
}

void LineDiagnoser::weighNoise(std::uint64_t explained) {
    Finding& noisy = finding(DiagnosisKind::Noise, 0);
    const std::uint64_t unexplained = noisy.diagnosis.count - explained;
    if (unexplained >= kNoiseBursts &&
        static_cast<double>(unexplained) >= kNoiseBeside * static_cast<double>(explained)) {
        raise(noisy);
    }
}

void LineDiagnoser::weighDevices() {
    const std::int64_t usual = lineTimes.percentileNs(0.5);
    lateNs = lineTimes.count() < kSlowAnswers
                 ? 0
                 : std::max(static_cast<std::int64_t>(kSlowFactor * static_cast<double>(usual)),
                            usual + kSlowMarginNs);
    for (int a = velora_protocol::kFirstDevice; a <= velora_protocol::kLastDevice; ++a) {
        Finding& flaky = finding(DiagnosisKind::Intermittent, a);
        const DeviceStatus& device = devices[static_cast<std::size_t>(a)];
        if (flaky.diagnosis.count >= kIntermittentGaps &&
            static_cast<double>(device.answers()) >=
                kIntermittentAnswered * static_cast<double>(device.polls)) {
            raise(flaky);
        }
        const AnswerTimes& times = device.answerTimes;
        Finding& slow = finding(DiagnosisKind::SlowAnswer, a);
        if (lateNs > 0 && times.count() >= kSlowAnswers && slow.diagnosis.count > 0) {
            slow.diagnosis.figure = times.percentileNs(0.5);
            slow.diagnosis.reference = usual;
            if (slow.diagnosis.figure > lateNs) {
                raise(slow);
            }
        }
    }
}

std::vector<Diagnosis> LineDiagnoser::diagnoses() const {
    std::vector<Diagnosis> raised;
    for (const Finding& found : findings) {
        if (!found.raised) {
            continue;
        }
        Diagnosis d = found.diagnosis;
        const int a = d.address;
        if (d.kind == DiagnosisKind::DuplicateAddress || d.kind == DiagnosisKind::Intermittent) {
            d.reference = static_cast<std::int64_t>(devices[static_cast<std::size_t>(a)].polls);
        }
        if (d.kind == DiagnosisKind::LineSignal || d.kind == DiagnosisKind::Noise) {
            d.framingErrors = framingErrors;
        }
        if (d.kind == DiagnosisKind::DuplicateAddress) {
            const AddressState& state = addresses[static_cast<std::size_t>(a)];
            d.figure = static_cast<std::int64_t>(state.garbled);
            d.reference += static_cast<std::int64_t>(state.swallowedPolls);
        }
        raised.push_back(d);
    }
    return raised; // findings are laid out by kind, then address
}

std::vector<std::uint64_t> LineDiagnoser::evidence(const Diagnosis& diagnosis) const {
    const std::size_t index = slot(diagnosis.kind, diagnosis.address);
    const std::size_t kept = findings[index].kept;
    const std::size_t count = std::min(kept, kEvidenceKept);
    std::vector<std::uint64_t> newest;
    newest.reserve(count);
    for (std::size_t i = kept - count; i < kept; ++i) {
        newest.push_back(records[index * kEvidenceKept + i % kEvidenceKept]);
    }
    return newest;
}

} // namespace velora_decoding
