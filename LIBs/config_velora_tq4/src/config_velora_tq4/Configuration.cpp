#include <config_velora_tq4/Configuration.h>
#include <config_velora_tq4/LCDCharset.h>
#include <config_velora_tq4/Trace.h>
#include <config_velora_tq4/XmlText.h>

#include <QCoreApplication>

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace config_velora_tq4 {

const EventTable& Configuration::defaultEventTable() {
    static const EventTable table;
    return table;
}

namespace {

constexpr int kMaxHour = 23;

using IntSetting = int Configuration::*;

bool inRange(int i, int count) {
    return i >= 0 && i < count;
}

template <typename T>
std::size_t at(const std::vector<T>& list, int i) {
    if (!inRange(i, static_cast<int>(list.size()))) {
        throw std::out_of_range("config_velora_tq4::Configuration: index out of range");
    }
    return static_cast<std::size_t>(i);
}

// Moves element `from` to position `to`, shifting the elements between them by one.
template <typename T>
void moveElement(std::vector<T>& list, int from, int to) {
    const auto first = list.begin();
    if (from < to) {
        std::rotate(first + from, first + from + 1, first + to + 1);
    } else {
        std::rotate(first + to, first + from, first + from + 1);
    }
}

// New position of index `ref` after element `from` has moved to `to`.
unsigned movedIndex(unsigned ref, unsigned from, unsigned to) {
    if (ref == from) {
        return to;
    }
    if (from < to && ref > from && ref <= to) {
        return ref - 1;
    }
    if (to < from && ref >= to && ref < from) {
        return ref + 1;
    }
    return ref;
}

QString formatError() {
    return QCoreApplication::translate("Configuration", "Неправильный формат файла.");
}

// Reads up to the root element; false when there is none. A document type that declares
// entities is refused: a few hundred bytes of nested or repeated references expand into
// gigabytes of text, and the configuration format has no use for them.
bool readToRoot(QXmlStreamReader& reader) {
    while (reader.readNext() != QXmlStreamReader::StartElement) {
        if (reader.atEnd() ||
            (reader.isDTD() && reader.text().contains(QLatin1String("<!ENTITY")))) {
            return false;
        }
    }
    return true;
}

} // namespace

Configuration::Configuration() {
    clear();
}

bool Configuration::operator==(const Configuration& other) const {
    const auto sameCommand = [](const Command& a, const Command& b) {
        return a.isConsoleFormat() == b.isConsoleFormat() && a.name() == b.name() &&
               a.data() == b.data();
    };
    return backlightLevel_ == other.backlightLevel_ && backlightTime_ == other.backlightTime_ &&
           messageTime_ == other.messageTime_ && menuTime_ == other.menuTime_ &&
           clockSyncHour_ == other.clockSyncHour_ && zummerConfig_ == other.zummerConfig_ &&
           hasPassword_ == other.hasPassword_ && password_ == other.password_ &&
           pultType_ == other.pultType_ && voltage24_ == other.voltage24_ &&
           individualReset_ == other.individualReset_ && pultAddress_ == other.pultAddress_ &&
           sections_ == other.sections_ && eventTables_ == other.eventTables_ &&
           std::equal(commands_.begin(), commands_.end(), other.commands_.begin(),
                      other.commands_.end(), sameCommand);
}

void Configuration::clear() {
    backlightLevel_ = 1;
    backlightTime_ = 30;
    messageTime_ = 32;
    menuTime_ = 60;
    clockSyncHour_ = 2;
    zummerConfig_ = 255;
    hasPassword_ = false;
    password_.clear();
    pultType_ = false;
    voltage24_ = false;
    individualReset_ = true;
    pultAddress_ = 0;
    sections_.clear();
    sections_[0] = Section();
    commands_.clear();
    eventTables_.assign(1, defaultEventTable());
}

void Configuration::setClockSyncHour(int hour) {
    clockSyncHour_ = hour >= 0 && hour <= kMaxHour ? hour : kNoClockSync;
}

void Configuration::setPassword(const std::string& password) {
    hasPassword_ = true;
    password_ = password;
}

void Configuration::clearPassword() {
    hasPassword_ = false;
    password_.clear();
}

bool Configuration::isValidPassword(const std::string& password) {
    const QString text = QString::fromStdString(password);
    return text.toUcs4().size() <= kMaxPasswordLength &&
           std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

void Configuration::setPultType(bool sectioned) {
    if (sectioned == pultType_) {
        return;
    }
    pultType_ = sectioned;
    sections_.clear();
    if (!sectioned) {
        sections_[0] = Section();
    }
    commands_.clear();
}

Section& Configuration::section(int address) {
    return sections_.at(address);
}

bool Configuration::putSection(const Section& section) {
    if ((section.address != 0) != pultType_) {
        return false;
    }
    sections_[section.address] = section;
    return true;
}

bool Configuration::removeSection(int address) {
    if (!pultType_ && address == 0) {
        return false;
    }
    return sections_.erase(address) > 0;
}

Command& Configuration::command(int i) {
    return commands_[at(commands_, i)];
}

bool Configuration::addCommand() {
    if (static_cast<int>(commands_.size()) >= kMaxCommands) {
        return false;
    }
    commands_.emplace_back(pultType_);
    return true;
}

void Configuration::removeCommand(int i) {
    if (inRange(i, static_cast<int>(commands_.size()))) {
        commands_.erase(commands_.begin() + i);
    }
}

void Configuration::swapCommands(int a, int b) {
    const int count = static_cast<int>(commands_.size());
    if (a != b && inRange(a, count) && inRange(b, count)) {
        std::swap(commands_[static_cast<std::size_t>(a)], commands_[static_cast<std::size_t>(b)]);
    }
}

void Configuration::moveCommandToFront(int i) {
    if (i > 0 && i < static_cast<int>(commands_.size())) {
        moveElement(commands_, i, 0);
    }
}

void Configuration::moveCommandToEnd(int i) {
    const int count = static_cast<int>(commands_.size());
    if (i >= 0 && i < count - 1) {
        moveElement(commands_, i, count - 1);
    }
}

bool Configuration::commandNameExists(const std::wstring& name) const {
    return std::any_of(commands_.begin(), commands_.end(),
                       [&](const Command& c) { return c.name() == name; });
}

EventTable& Configuration::eventTable(int i) {
    return eventTables_[at(eventTables_, i)];
}

const EventTable& Configuration::eventTable(int i) const {
    return eventTables_[at(eventTables_, i)];
}

void Configuration::addEventTable(const EventTable& table) {
    if (eventTableCount() < kMaxEventTables) {
        eventTables_.push_back(table);
    }
}

void Configuration::removeEventTable(int i) {
    if (i <= 0 || i >= eventTableCount()) {
        return;
    }
    eventTables_.erase(eventTables_.begin() + i);
    const auto removed = static_cast<unsigned>(i);
    remapEventTableReferences([removed](unsigned ref) {
        return ref == removed ? 0 : ref > removed ? ref - 1 : ref;
    });
}

void Configuration::swapEventTables(int a, int b) {
    const int count = eventTableCount();
    if (a == b || a < 1 || b < 1 || a >= count || b >= count) {
        return;
    }
    std::swap(eventTables_[static_cast<std::size_t>(a)], eventTables_[static_cast<std::size_t>(b)]);
    const auto ua = static_cast<unsigned>(a);
    const auto ub = static_cast<unsigned>(b);
    remapEventTableReferences([ua, ub](unsigned ref) {
        return ref == ua ? ub : ref == ub ? ua : ref;
    });
}

void Configuration::moveEventTableToFront(int i) {
    if (i <= 1 || i >= eventTableCount()) {
        return;
    }
    moveElement(eventTables_, i, 1);
    const auto from = static_cast<unsigned>(i);
    remapEventTableReferences([from](unsigned ref) { return movedIndex(ref, from, 1); });
}

void Configuration::moveEventTableToEnd(int i) {
    const int last = eventTableCount() - 1;
    if (i <= 0 || i >= last) {
        return;
    }
    moveElement(eventTables_, i, last);
    const auto from = static_cast<unsigned>(i);
    const auto to = static_cast<unsigned>(last);
    remapEventTableReferences([from, to](unsigned ref) { return movedIndex(ref, from, to); });
}

void Configuration::clearEventTables() {
    eventTables_.assign(1, defaultEventTable());
    remapEventTableReferences([](unsigned) { return 0u; });
}

bool Configuration::isEventTableUsed(int i) const {
    if (i == 0) {
        return true;
    }
    if (i < 0 || i >= kMaxEventTables) {
        return false;
    }
    const auto uses = [i](const Section& section) {
        return std::any_of(section.devices.begin(), section.devices.end(), [i](const auto& entry) {
            const auto& names = entry.second.names;
            return names && names->eventTable == static_cast<unsigned>(i);
        });
    };
    if (!pultType_) {
        return uses(sections_.at(0));
    }
    return std::any_of(sections_.begin(), sections_.end(),
                       [&](const auto& entry) { return uses(entry.second); });
}

bool Configuration::eventTableNameExists(const std::wstring& name) const {
    return std::any_of(eventTables_.begin() + 1, eventTables_.end(),
                       [&](const EventTable& t) { return t.name == name; });
}

void Configuration::remapEventTableReferences(const Remap& remap) {
    const auto remapSection = [&](Section& section) {
        for (auto& entry : section.devices) {
            if (auto& names = entry.second.names) {
                names->eventTable = remap(names->eventTable);
            }
        }
    };
    if (!pultType_) {
        remapSection(sections_[0]);
        return;
    }
    for (auto& entry : sections_) {
        remapSection(entry.second);
    }
}

void Configuration::toXml(QXmlStreamWriter& writer) const {
    writer.writeStartElement(QStringLiteral("configuration"));
    writer.writeAttribute(QStringLiteral("deviceId"), QLatin1String(kDeviceId));
    writer.writeAttribute(QStringLiteral("version"), QString::number(kFormatVersion));
    writeInt(writer, QStringLiteral("backlightLevel"), backlightLevel_);
    writeInt(writer, QStringLiteral("backlightTime"), backlightTime_);
    writeInt(writer, QStringLiteral("messageTime"), messageTime_);
    writeInt(writer, QStringLiteral("menuTime"), menuTime_);
    writeInt(writer, QStringLiteral("clockSyncHour"), clockSyncHour_);
    writer.writeTextElement(QStringLiteral("zummerConfig"),
                            toHexLiteral(static_cast<std::uint8_t>(zummerConfig_ & 0xFF)));
    if (hasPassword_) {
        writer.writeTextElement(QStringLiteral("password"), QString::fromStdString(password_));
    }
    writeInt(writer, QStringLiteral("pultType"), pultType_ ? 1 : 0);
    writeInt(writer, QStringLiteral("voltage"), voltage24_ ? 24 : 12);
    if (pultType_) {
        writeInt(writer, QStringLiteral("individualReset"), individualReset_ ? 1 : 0);
    }
    writeInt(writer, QStringLiteral("pultAddress"), pultAddress_);
    if (pultType_) {
        for (const auto& entry : sections_) {
            entry.second.toXml(writer);
        }
    } else if (sections_.count(0) != 0) {
        sections_.at(0).toXml(writer);
    }
    for (const auto& command : commands_) {
        command.toXml(writer);
    }
    for (int i = 0; i < eventTableCount(); ++i) {
        const EventTable& table = eventTables_[static_cast<std::size_t>(i)];
        if (table != defaultEventTable()) {
            table.toXml(writer, i);
        }
    }
    writer.writeEndElement();
}

void Configuration::parseXml(QXmlStreamReader& reader) {
    trace(QStringLiteral(">>> Configuration::parseXml()"));
    clear();
    if (readRoot(reader)) {
        while (reader.readNextStartElement()) {
            trace(QStringLiteral("=== Processing element <%1>").arg(reader.name()));
            readElement(reader);
        }
    }
    lcdCorrection();
    rebuildEventTables();
    trace(QStringLiteral("<<< Configuration::parseXml()"));
}

bool Configuration::readRoot(QXmlStreamReader& reader) {
    const bool found = readToRoot(reader);
    if (found && reader.name() == QLatin1String("configuration") &&
        reader.attributes().value(QStringLiteral("deviceId")) == QLatin1String(kDeviceId) &&
        reader.attributes().value(QStringLiteral("version")) == QString::number(kFormatVersion)) {
        return true;
    }
    // Broken XML before the root keeps the reader's own, more precise error.
    if (reader.error() != QXmlStreamReader::NotWellFormedError) {
        reader.raiseError(formatError());
    }
    return false;
}

void Configuration::readElement(QXmlStreamReader& reader) {
    static const std::pair<const char*, IntSetting> kIntSettings[] = {
        {"backlightLevel", &Configuration::backlightLevel_},
        {"backlightTime", &Configuration::backlightTime_},
        {"messageTime", &Configuration::messageTime_},
        {"menuTime", &Configuration::menuTime_},
        {"pultAddress", &Configuration::pultAddress_},
    };
    const QString name = reader.name().toString();
    for (const auto& setting : kIntSettings) {
        if (name == QLatin1String(setting.first)) {
            this->*setting.second = readInt(reader);
            return;
        }
    }
    if (name == QLatin1String("clockSyncHour")) {
        setClockSyncHour(readInt(reader));
    } else if (name == QLatin1String("zummerConfig")) {
        const QString text = readText(reader);
        if (text.startsWith(QLatin1String("0x"))) {
            zummerConfig_ = text.midRef(2).toInt(nullptr, 16);
        }
    } else if (name == QLatin1String("password")) {
        readPassword(readText(reader).toStdString());
    } else if (name == QLatin1String("pultType")) {
        setPultType(readInt(reader) == 1);
    } else if (name == QLatin1String("voltage")) {
        voltage24_ = readText(reader) == QLatin1String("24");
    } else if (name == QLatin1String("individualReset")) {
        individualReset_ = readInt(reader) == 1;
    } else if (name == QLatin1String("section")) {
        Section section;
        section.parseXml(reader);
        putSection(section);
    } else if (name == QLatin1String("command") &&
               static_cast<int>(commands_.size()) < kMaxCommands) {
        Command command(pultType_);
        command.fromXml(reader);
        commands_.push_back(std::move(command));
    } else if (name == QLatin1String("eventTable")) {
        readEventTable(reader);
    } else {
        reader.skipCurrentElement();
    }
}

// A text of more than 8 characters is never a password: it is ignored, so that it neither
// replaces a valid password read before nor turns one on.
void Configuration::readPassword(const std::string& text) {
    if (isValidPassword(text)) {
        setPassword(text);
    } else if (QString::fromStdString(text).toUcs4().size() <= kMaxPasswordLength) {
        hasPassword_ = false;
    }
}

void Configuration::readEventTable(QXmlStreamReader& reader) {
    const int index = intAttribute(reader, QStringLiteral("index"));
    trace(QStringLiteral("=== index = %1").arg(index));
    if (index < 0 || index >= kMaxEventTables) {
        reader.skipCurrentElement();
        return;
    }
    while (eventTableCount() <= index) {
        eventTables_.push_back(defaultEventTable());
    }
    eventTables_[static_cast<std::size_t>(index)].parseXml(reader);
}

void Configuration::lcdCorrection() {
    trace(QStringLiteral(">>> Configuration::lcdCorrection()"));
    for (auto& entry : sections_) {
        entry.second.lcdCorrection();
    }
    for (auto& command : commands_) {
        std::wstring name = command.name();
        lcdCorrectText(name);
        command.setName(name);
    }
    for (auto& table : eventTables_) {
        table.lcdCorrection();
    }
    trace(QStringLiteral("<<< Configuration::lcdCorrection()"));
}

bool Configuration::rebuildEventTables() {
    trace(QStringLiteral(">>> Configuration::rebuildEventTables()"));
    eventTables_[0].name.clear();
    bool changed = false;
    int i = 1;
    while (i < eventTableCount()) {
        EventTable& table = eventTables_[static_cast<std::size_t>(i)];
        EventTable unnamed = table;
        unnamed.name.clear();
        if (isEventTableUsed(i) || unnamed != defaultEventTable()) {
            if (table.name.empty()) {
                table.name = eventTableName(i);
            }
            ++i;
        } else {
            removeEventTable(i);
            changed = true;
        }
    }
    trace(QStringLiteral("<<< Configuration::rebuildEventTables() returns %1")
              .arg(changed ? QStringLiteral("true") : QStringLiteral("false")));
    return changed;
}

} // namespace config_velora_tq4
