#include <config_velora_tq4/EventTable.h>
#include <config_velora_tq4/LCDCharset.h>
#include <config_velora_tq4/Trace.h>
#include <config_velora_tq4/XmlText.h>

namespace config_velora_tq4 {

namespace {

struct EventDefault {
    const char* element;
    const wchar_t* text;
    bool emergency;
};

// Display form: Cyrillic letters with a Latin twin are written with the Latin letter.
constexpr const wchar_t* kNorm = L"HOPMA";
constexpr const wchar_t* kFailure = L"HE\u0418C\u041FPABH.";
constexpr const wchar_t* kWarning = L"BH\u0418MAH\u0418E";
constexpr const wchar_t* kFire = L"\u041FO\u0416AP";
constexpr const wchar_t* kTakeOff = L"\u0411\u041BOK\u0418POBKA";
constexpr const wchar_t* kPut = L"BK\u041B\u042E\u0427EH\u0418E";
constexpr const wchar_t* kAlarm = L"OTK\u041B\u042E\u0427\u0401H";
constexpr const wchar_t* kLoopActivation = L"CPA\u0411OTA\u041B";
constexpr const wchar_t* kLineActivation = L"CPA\u0411OTA\u041BA";
constexpr const wchar_t* kTamper = L"BCKP\u042BT\u0418E";

constexpr EventDefault kDefaults[EventTable::EventCount] = {
    {"loop1Norm", kNorm, false},
    {"loop1Failure", kFailure, false},
    {"loop1Warning", kWarning, true},
    {"loop1Fire", kFire, true},
    {"loop1TakeOff", kTakeOff, false},
    {"loop1Put", kPut, false},
    {"loop1Alarm", kAlarm, false},
    {"loop1Activation", kLoopActivation, false},
    {"loop2Norm", kNorm, false},
    {"loop2Failure", kFailure, false},
    {"loop2Warning", kWarning, true},
    {"loop2Fire", kFire, true},
    {"loop2TakeOff", kTakeOff, false},
    {"loop2Put", kPut, false},
    {"loop2Alarm", kAlarm, false},
    {"loop2Activation", kLoopActivation, false},
    {"line3Norm", kNorm, false},
    {"line3Failure", kFailure, false},
    {"line3Activation", kLineActivation, false},
    {"line4Norm", kNorm, false},
    {"line4Failure", kFailure, false},
    {"line4Activation", kLineActivation, false},
    {"deviceTamper", kTamper, false},
    {"outsFailure", kFailure, false},
};

// Older files name the outputs' failure event after the alert loop.
const QString kLegacyOutsFailure = QStringLiteral("alertLoopFailure");

constexpr const wchar_t* kTableNamePrefix = L"Ta\u0431\u043B\u0438\u0446a ";

} // namespace

int EventTable::eventOfElement(const QStringRef& element) {
    if (element == kLegacyOutsFailure) {
        return EventTable::OutsFailure;
    }
    for (int e = 0; e < EventTable::EventCount; ++e) {
        if (element == QLatin1String(kDefaults[e].element)) {
            return e;
        }
    }
    return -1;
}

EventTable::EventTable() {
    setDefaults();
}

void EventTable::setDefaults() {
    name.clear();
    for (int e = 0; e < EventCount; ++e) {
        texts[e] = kDefaults[e].text;
        emergency[e] = kDefaults[e].emergency;
    }
}

bool EventTable::operator!=(const EventTable& other) const {
    return name != other.name || texts != other.texts || emergency != other.emergency;
}

QString EventTable::elementName(Event event) {
    return QLatin1String(kDefaults[event].element);
}

const std::wstring& EventTable::defaultText(Event event) {
    static const std::array<std::wstring, EventCount> defaults = [] {
        std::array<std::wstring, EventCount> t;
        for (int e = 0; e < EventCount; ++e) {
            t[e] = kDefaults[e].text;
        }
        return t;
    }();
    return defaults[event];
}

bool EventTable::defaultEmergency(Event event) {
    return kDefaults[event].emergency;
}

void EventTable::toXml(QXmlStreamWriter& writer, int index) const {
    trace(QStringLiteral(">>> EventTable::toXml(i = %1)").arg(index));
    writer.writeStartElement(QStringLiteral("eventTable"));
    writer.writeAttribute(QStringLiteral("index"), QString::number(index));
    writeText(writer, QStringLiteral("name"), name);
    for (int e = 0; e < EventCount; ++e) {
        const auto event = static_cast<Event>(e);
        if (texts[e] == defaultText(event) && emergency[e] == defaultEmergency(event)) {
            continue;
        }
        writer.writeStartElement(elementName(event));
        if (emergency[e]) {
            writer.writeAttribute(QStringLiteral("emergency"), QStringLiteral("true"));
        }
        writer.writeCharacters(toQString(texts[e]));
        writer.writeEndElement();
    }
    writer.writeEndElement();
    trace(QStringLiteral("<<< EventTable::toXml()"));
}

void EventTable::parseXml(QXmlStreamReader& reader) {
    trace(QStringLiteral(">>> EventTable::parseXml()"));
    setDefaults();
    while (reader.readNextStartElement()) {
        const bool flag = reader.attributes().value(QStringLiteral("emergency")) == "true";
        if (reader.name() == QLatin1String("name")) {
            name = readWText(reader);
            continue;
        }
        const int event = eventOfElement(reader.name());
        if (event < 0) {
            reader.skipCurrentElement();
            continue;
        }
        texts[event] = readWText(reader);
        emergency[event] = flag;
    }
    trace(QStringLiteral("<<< EventTable::parseXml"));
}

void EventTable::lcdCorrection() {
    trace(QStringLiteral("=== EventTable::lcdCorrection()"));
    lcdCorrectText(name);
    for (auto& text : texts) {
        lcdCorrectText(text);
    }
}

std::wstring eventTableName(int i) {
    if (i <= 0) {
        return {};
    }
    return kTableNamePrefix + QString::number(i).toStdWString();
}

} // namespace config_velora_tq4
