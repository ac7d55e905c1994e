#include "TrafficGenerator.h"

#include <velora_protocol/Addresses.h>
#include <velora_protocol/Crc16.h>
#include <velora_protocol/FrameBytes.h>

#include <algorithm>
#include <iterator>

namespace velora_traffic {

namespace {

using velora_protocol::kTrashPiece;

std::vector<std::uint8_t> valuesWhere(bool (*predicate)(std::uint8_t)) {
    std::vector<std::uint8_t> values;
    for (int b = 0; b < 256; ++b) {
        if (predicate(static_cast<std::uint8_t>(b))) {
            values.push_back(static_cast<std::uint8_t>(b));
        }
    }
    return values;
}

template <typename T>
const T& pick(const std::vector<T>& values, std::mt19937& rng) {
    return values[std::uniform_int_distribution<std::size_t>(0, values.size() - 1)(rng)];
}

int randomInt(std::mt19937& rng, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
}

std::vector<std::uint8_t> randomBytes(std::mt19937& rng, std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(randomInt(rng, 0, 255));
    }
    return bytes;
}

std::vector<std::uint8_t> randomNoise(std::mt19937& rng) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(randomInt(rng, 1, 20)));
    for (auto& b : bytes) {
        b = randomInt(rng, 0, 1) ? 0x80 : 0x00;
    }
    return bytes;
}

} // namespace

std::ostream& operator<<(std::ostream& out, const Event& event) {
    return out << event.type << '@' << event.address << '[' << toHex(event.bytes) << ']';
}

std::string toHex(const std::vector<std::uint8_t>& bytes) {
    static const char* const digits = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (const std::uint8_t b : bytes) {
        if (!text.empty()) {
            text += ' ';
        }
        text += digits[b >> 4];
        text += digits[b & 0xF];
    }
    return text;
}

void appendCrc(std::vector<std::uint8_t>& frame) {
    const std::uint16_t crc = velora_protocol::crc16(frame.data(), frame.size());
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

const std::vector<std::uint8_t>& TrafficGenerator::shortAnswerValues() {
    static const std::vector<std::uint8_t> values = valuesWhere(&velora_protocol::isShortAnswer);
    return values;
}

const std::vector<std::uint8_t>& TrafficGenerator::longAnswerHeaders() {
    static const std::vector<std::uint8_t> values =
        valuesWhere(&velora_protocol::isLongAnswerHeader);
    return values;
}

// What the parser still holds decides which byte may come next: the acknowledgement it
// waits for would be taken as such, and after an unanswered poll a byte that continues
// the run or answers the poll would be read together with it.
bool TrafficGenerator::mayStartWith(std::uint8_t first) const {
    if (pendingAck >= 0 && first == pendingAck) {
        return false;
    }
    // 0x80 after a poll of 127 does not continue the run: a poll byte has bit 7 clear.
    const int lastPoll = std::max(runEnd, openPoll);
    const bool continuesRun = (first & 0x80) == 0 && first == lastPoll + 1;
    if (lastPoll >= 0 && (continuesRun || velora_protocol::isShortAnswer(first) ||
                          velora_protocol::isLongAnswerHeader(first))) {
        return false;
    }
    return true;
}

// Checks the first byte of the next element and settles a single unanswered poll before
// it: a poll of the next address makes the two a run, anything else makes it trash.
bool TrafficGenerator::begin(std::uint8_t first, bool mayContinueRun) {
    const int lastPoll = std::max(runEnd, openPoll);
    const bool continuesRun = mayContinueRun && lastPoll >= 0 && first == lastPoll + 1;
    if (!continuesRun && !mayStartWith(first)) {
        return false;
    }
    if (openPoll >= 0) {
        const auto a = static_cast<std::uint8_t>(openPoll);
        openPoll = -1;
        if (continuesRun) {
            report(mtQuery, a, {a});
        } else {
            addTrash(a);
        }
    }
    return true;
}

void TrafficGenerator::append(const std::vector<std::uint8_t>& bytes) {
    stream.insert(stream.end(), bytes.begin(), bytes.end());
}

void TrafficGenerator::report(int type, int address, std::vector<std::uint8_t> bytes) {
    if (type != mtLongAnswerAck && type != mtCommandAck && !trash.empty()) {
        reported.push_back({mtTrash, 0, trash});
        trash.clear();
    }
    reported.push_back({type, address, std::move(bytes)});
}

void TrafficGenerator::addTrash(std::uint8_t byte) {
    trash.push_back(byte);
    if (trash.size() == kTrashPiece) {
        reported.push_back({mtTrash, 0, trash});
        trash.clear();
    }
}

void TrafficGenerator::afterFrame(int ack, int end) {
    pendingAck = ack;
    runEnd = end;
}

bool TrafficGenerator::shortAnswer(int address, std::uint8_t status) {
    const auto a = static_cast<std::uint8_t>(address);
    if (!velora_protocol::isPolledAddress(address) || !velora_protocol::isShortAnswer(status) ||
        status == a + 1 || !begin(a, true)) {
        return false;
    }
    append({a, status});
    report(mtQuery, address, {a});
    report(mtShortAnswer, address, {status});
    afterFrame(-1, -1);
    return true;
}

bool TrafficGenerator::longAnswer(int address, std::uint8_t header,
                                  const std::vector<std::uint8_t>& data, bool acknowledged) {
    const auto a = static_cast<std::uint8_t>(address);
    if (!velora_protocol::isPolledAddress(address) ||
        !velora_protocol::isLongAnswerHeader(header) || header == a + 1 || data.size() != 6 ||
        !begin(a, true)) {
        return false;
    }
    append({a});
    report(mtQuery, address, {a});
    std::vector<std::uint8_t> frame{header, a};
    frame.insert(frame.end(), data.begin(), data.end());
    checkedFrame(mtLongAnswer, address, frame, acknowledged, mtLongAnswerAck,
                 velora_protocol::kLongAnswerAck);
    return true;
}

bool TrafficGenerator::command(int address, const std::vector<std::uint8_t>& body,
                               bool acknowledged) {
    const auto first = static_cast<std::uint8_t>(0x80 | address);
    if (!velora_protocol::isPolledAddress(address) || body.size() != 5 || !begin(first, false)) {
        return false;
    }
    std::vector<std::uint8_t> frame{first};
    frame.insert(frame.end(), body.begin(), body.end());
    checkedFrame(mtCommand, address, frame, acknowledged, mtCommandAck,
                 velora_protocol::kCommandAck);
    return true;
}

void TrafficGenerator::checkedFrame(int type, int address, std::vector<std::uint8_t> frame,
                                    bool acknowledged, int ackType, std::uint8_t ack) {
    appendCrc(frame);
    append(frame);
    report(type, address, frame);
    if (acknowledged) {
        append({ack});
        report(ackType, address, {ack});
    }
    afterFrame(acknowledged ? -1 : ack, -1);
}

bool TrafficGenerator::pollRun(int firstAddress, int count) {
    const int last = firstAddress + count - 1;
    if (firstAddress < 1 || count < 2 || last > velora_protocol::kSpecialAddress ||
        !begin(static_cast<std::uint8_t>(firstAddress), true)) {
        return false;
    }
    for (int a = firstAddress; a <= last; ++a) {
        append({static_cast<std::uint8_t>(a)});
        report(mtQuery, a, {static_cast<std::uint8_t>(a)});
    }
    afterFrame(-1, last);
    return true;
}

bool TrafficGenerator::poll(int address) {
    const bool continuesRun = address > 0 && std::max(runEnd, openPoll) == address - 1;
    if (!velora_protocol::isPolledAddress(address) ||
        !begin(static_cast<std::uint8_t>(address), true)) {
        return false;
    }
    const auto a = static_cast<std::uint8_t>(address);
    append({a});
    if (continuesRun) {
        report(mtQuery, address, {a});
        afterFrame(-1, address);
    } else {
        afterFrame(-1, -1);
        openPoll = address;
    }
    return true;
}

void TrafficGenerator::noise(const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty()) {
        return;
    }
    // 0x00 and 0x80 are refused nowhere.
    begin(bytes.front(), false);
    for (const std::uint8_t b : bytes) {
        append({b});
        addTrash(b);
    }
    afterFrame(-1, -1);
}

bool TrafficGenerator::lonePoll(int address, const std::vector<std::uint8_t>& noiseBytes) {
    if (!velora_protocol::isPolledAddress(address) || noiseBytes.empty() ||
        !begin(static_cast<std::uint8_t>(address), false)) {
        return false;
    }
    append({static_cast<std::uint8_t>(address)});
    addTrash(static_cast<std::uint8_t>(address));
    noise(noiseBytes);
    return true;
}

void TrafficGenerator::randomElement(std::mt19937& rng) {
    for (;;) {
        const int address =
            randomInt(rng, velora_protocol::kFirstDevice, velora_protocol::kSpecialAddress);
        bool added = false;
        switch (randomInt(rng, 0, 9)) {
        case 0:
        case 1:
            added = shortAnswer(address, pick(shortAnswerValues(), rng));
            break;
        case 2:
        case 3:
            added = longAnswer(address, pick(longAnswerHeaders(), rng), randomBytes(rng, 6),
                               randomInt(rng, 0, 3) != 0);
            break;
        case 4:
            added = command(address, randomBytes(rng, 5), randomInt(rng, 0, 3) != 0);
            break;
        case 5:
            noise(randomNoise(rng));
            added = true;
            break;
        case 6:
            added = lonePoll(address, randomNoise(rng));
            break;
        default:
            added = pollRun(address, randomInt(rng, 2, 6));
            break;
        }
        if (added) {
            return;
        }
    }
}

TrafficGenerator TrafficGenerator::random(std::uint32_t seed, std::size_t elements) {
    std::mt19937 rng(seed);
    TrafficGenerator generator;
    for (std::size_t i = 0; i < elements; ++i) {
        generator.randomElement(rng);
    }
    return generator;
}

std::vector<Event> TrafficGenerator::eventsAfterFlush() const {
    const auto confirmed = reported.end() - static_cast<std::ptrdiff_t>(unconfirmedPolls());
    std::vector<Event> all(reported.begin(), confirmed);
    if (!trash.empty()) {
        all.push_back({mtTrash, 0, trash});
    }
    return all;
}

std::vector<std::uint8_t> TrafficGenerator::takeBytes() {
    std::vector<std::uint8_t> taken;
    taken.swap(stream);
    return taken;
}

std::vector<Event> TrafficGenerator::takeEvents() {
    const auto confirmed = reported.end() - static_cast<std::ptrdiff_t>(unconfirmedPolls());
    std::vector<Event> taken(std::make_move_iterator(reported.begin()),
                             std::make_move_iterator(confirmed));
    reported.erase(reported.begin(), confirmed);
    return taken;
}

} // namespace velora_traffic
