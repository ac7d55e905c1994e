#include <config_velora_tq4/Command.h>
#include <config_velora_tq4/Configuration.h>
#include <config_velora_tq4/DeviceNames.h>
#include <config_velora_tq4/DocumentCheck.h>
#include <config_velora_tq4/DocumentReader.h>
#include <config_velora_tq4/EventTable.h>

#include <velora_protocol/Addresses.h>

#include <algorithm>

namespace config_velora_tq4 {

namespace {

constexpr Range kFlag{0, 1};
constexpr Range kDeviceAddress{velora_protocol::kFirstDevice, velora_protocol::kSpecialAddress};
// Section addresses are console numbers, six bits in a console command.
constexpr Range kSectionAddress{1, 63};
constexpr Range kZone{0, 255};
constexpr Range kHour{0, 23};
constexpr Range kTableIndex{0, Configuration::kMaxEventTables - 1};
constexpr Range kByteIndex{0, static_cast<int>(Command::kLength) - 1};
const QStringList kNumberSettings{"backlightLevel", "backlightTime", "messageTime", "menuTime",
                                  "pultAddress"};
const QStringList kRootChildren =
    kNumberSettings + QStringList{"clockSyncHour", "zummerConfig", "password",
                                  "pultType",      "voltage",      "individualReset",
                                  "section",       "command",      "eventTable"};

QStringList eventTableChildren() {
    QStringList names{"name"};
    for (int e = 0; e < EventTable::EventCount; ++e) {
        names << EventTable::elementName(static_cast<EventTable::Event>(e));
    }
    return names;
}

// A device's choice of event table, where it was made.
struct Reference {
    SourcePosition at;
    int table = 0;
};

// What later elements are compared with: where each section, device and table was given.
struct SectionState {
    SourcePosition at;
    std::map<int, SourcePosition> devices;
    std::map<int, Reference> references;
};

// The rules of the configuration format, on top of the reading steps.
class Checker : private DocumentReader {
public:
    explicit Checker(const QByteArray& xml)
        : DocumentReader(xml) {}

    std::vector<Diagnostic> run();

private:
    bool root();
    void rootChild();
    void setting(const QString& name);
    void password(const QString& text, SourcePosition at);
    void changePultType(bool sectioned);
    void section();
    void device(SectionState& section);
    Reference deviceNames();
    void command();
    void commandData();
    void eventTable();
    void references();

    bool rootMissing = false;
    Seen settings;
    bool pultType = false;
    bool readBeforeTypeChange = false;
    std::map<int, SectionState> sections;
    int commandCount = 0;
    std::map<int, SourcePosition> tables;
};

std::vector<Diagnostic> Checker::run() {
    if (root()) {
        while (nextChild()) {
            rootChild();
        }
        if (!reader.hasError()) {
            references();
        }
    }
    if (reader.hasError() && !rootMissing) {
        error({reader.lineNumber(), reader.columnNumber() + 1},
              QStringLiteral("неправильный XML: %1").arg(reader.errorString()));
    }
    std::stable_sort(diagnostics.begin(), diagnostics.end(), [](const auto& a, const auto& b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    return diagnostics;
}

bool Checker::root() {
    start();
    while (!reader.isStartElement()) {
        const int entity = reader.isDTD() ? reader.text().indexOf(QLatin1String("<!ENTITY")) : -1;
        if (entity >= 0) {
            // The token's text is the document type declaration up to where the reader stands.
            const qint64 offset = reader.characterOffset() - reader.text().size() + entity;
            error(source->at(offset),
                  QStringLiteral("объявления сущностей (<!ENTITY) не допускаются"));
            return false;
        }
        if (reader.atEnd()) {
            rootMissing = reader.error() == QXmlStreamReader::PrematureEndOfDocumentError;
            if (rootMissing) {
                error({reader.lineNumber(), reader.columnNumber() + 1},
                      QStringLiteral("нет корневого элемента, ожидается «configuration»"));
            }
            return false;
        }
        reader.readNext();
    }
    elementStart = source->tagStart(reader.characterOffset());
    bool right = true;
    if (reader.name() != QLatin1String("configuration")) {
        error(elementStart, QStringLiteral("корневой элемент %1, ожидается «configuration»")
                                .arg(quoted(reader.name().toString())));
        right = false;
    }
    const struct {
        const char* attribute;
        QString expected;
        const char* what;
    } kRootAttributes[] = {
        {"deviceId", QLatin1String(Configuration::kDeviceId), "идентификатор прибора"},
        {"version", QString::number(Configuration::kFormatVersion), "версия формата"},
    };
    for (const auto& expected : kRootAttributes) {
        const QString name = QLatin1String(expected.attribute);
        const QString what = QString::fromUtf8(expected.what);
        if (!reader.attributes().hasAttribute(name)) {
            error(elementStart, QStringLiteral("нет атрибута %1 (%2), ожидается %3")
                                    .arg(quoted(name), what, quoted(expected.expected)));
            right = false;
        } else if (reader.attributes().value(name) != expected.expected) {
            error(elementStart, QStringLiteral("%1 %2, ожидается %3")
                                    .arg(what, quoted(reader.attributes().value(name).toString()),
                                         quoted(expected.expected)));
            right = false;
        }
    }
    return right;
}

void Checker::rootChild() {
    const QString name = reader.name().toString();
    if (name == QLatin1String("section")) {
        section();
    } else if (name == QLatin1String("command")) {
        command();
    } else if (name == QLatin1String("eventTable")) {
        eventTable();
    } else if (kRootChildren.contains(name)) {
        setting(name);
    } else {
        unknownElement(kRootChildren);
    }
}

void Checker::setting(const QString& name) {
    const QString label = quoted(name);
    once(settings, name, label);
    const SourcePosition at = here();
    const QString value = text();
    if (kNumberSettings.contains(name)) {
        number(label, value, at, kAnyNumber);
    } else if (name == QLatin1String("clockSyncHour")) {
        const auto hour = number(label, value, at, kAnyNumber);
        if (hour && *hour != Configuration::kNoClockSync && !contains(kHour, *hour)) {
            warning(at, QStringLiteral("%1: %2 вне диапазона %3, читается как 255 (часы не "
                                       "синхронизируются)")
                            .arg(label)
                            .arg(*hour)
                            .arg(rangeText(kHour)));
        }
    } else if (name == QLatin1String("zummerConfig")) {
        hexByte(label, value, at);
    } else if (name == QLatin1String("password")) {
        password(value, at);
    } else if (name == QLatin1String("pultType")) {
        changePultType(number(label, value, at, kFlag) == 1);
    } else if (name == QLatin1String("voltage")) {
        if (value != QLatin1String("12") && value != QLatin1String("24")) {
            error(at, QStringLiteral("%1: %2 — ожидается 12 или 24, читается как 12")
                          .arg(label, quoted(value)));
        }
    } else {
        number(label, value, at, kFlag);
    }
}

void Checker::password(const QString& text, SourcePosition at) {
    if (Configuration::isValidPassword(text.toStdString())) {
        return;
    }
    if (text.toUcs4().size() <= Configuration::kMaxPasswordLength) {
        error(
            at,
            QStringLiteral("«password»: %1 — не только цифры, пароль снимается").arg(quoted(text)));
    } else {
        error(at, QStringLiteral("«password»: %1 длиннее %2 цифр и пропускается")
                      .arg(quoted(text))
                      .arg(Configuration::kMaxPasswordLength));
    }
}

void Checker::changePultType(bool sectioned) {
    if (sectioned == pultType) {
        return;
    }
    if (readBeforeTypeChange) {
        warning(elementStart,
                QStringLiteral("смена типа пульта отбрасывает секции и команды, прочитанные выше"));
    }
    pultType = sectioned;
    readBeforeTypeChange = false;
    sections.clear();
    commandCount = 0;
}

void Checker::section() {
    readBeforeTypeChange = true;
    SectionState state;
    state.at = elementStart;
    const int address =
        attributeNumber(QStringLiteral("address"), QStringLiteral("адрес секции")).value_or(0);
    attributeNumber(QStringLiteral("group"), QStringLiteral("группа секции"));
    const bool dubler = flagAttribute(QStringLiteral("dubler"));
    const bool kept = pultType ? address != 0 : address == 0;
    if (!kept) {
        error(state.at, pultType ? QStringLiteral("секция с адресом 0 пропускается: у пульта с "
                                                  "секциями (pultType 1) адреса секций %1")
                                       .arg(rangeText(kSectionAddress))
                                 : QStringLiteral("секция с адресом %1 пропускается: у пульта с "
                                                  "одной секцией (pultType 0) адрес секции 0")
                                       .arg(address));
    } else if (pultType && !contains(kSectionAddress, address)) {
        error(state.at, QStringLiteral("адрес секции %1 вне диапазона %2")
                            .arg(address)
                            .arg(rangeText(kSectionAddress)));
    }
    if (kept && sections.count(address) != 0) {
        error(state.at, QStringLiteral("секция с адресом %1 уже задана в строке %2; действует "
                                       "последняя")
                            .arg(address)
                            .arg(sections.at(address).at.line));
    }
    Seen seen;
    while (nextChild()) {
        const QString name = reader.name().toString();
        if (name == QLatin1String("name")) {
            onceShown(seen, name);
        } else if (name == QLatin1String("dublerName") && !dubler) {
            warning(elementStart, QStringLiteral("«dublerName» без dubler=\"true\" пропускается"));
            reader.skipCurrentElement();
        } else if (name == QLatin1String("dublerName")) {
            onceShown(seen, name);
        } else if (name == QLatin1String("device")) {
            device(state);
        } else {
            unknownElement({"name", "dublerName", "device"});
        }
    }
    if (kept) {
        sections[address] = state;
    }
}

void Checker::device(SectionState& section) {
    const SourcePosition at = elementStart;
    const auto address =
        requiredAttribute(QStringLiteral("address"), QStringLiteral("адрес прибора"),
                          QStringLiteral("у прибора нет адреса"));
    if (address && !contains(kDeviceAddress, *address)) {
        error(at, QStringLiteral("адрес прибора %1 вне диапазона %2")
                      .arg(*address)
                      .arg(rangeText(kDeviceAddress)));
    }
    const auto zone = attributeNumber(QStringLiteral("zone"), QStringLiteral("зона прибора"));
    if (zone && !contains(kZone, *zone)) {
        error(at, QStringLiteral("зона %1 вне диапазона %2").arg(*zone).arg(rangeText(kZone)));
    }
    const int key = address.value_or(0);
    if (section.devices.count(key) != 0) {
        error(at, QStringLiteral("прибор с адресом %1 уже есть в этой секции (строка %2); "
                                 "действует последний")
                      .arg(key)
                      .arg(section.devices.at(key).line));
    }
    section.devices[key] = at;
    section.references.erase(key);
    Seen seen;
    while (nextChild()) {
        if (reader.name() == QLatin1String("deviceNames")) {
            once(seen, QStringLiteral("deviceNames"), QStringLiteral("«deviceNames»"));
            section.references[key] = deviceNames();
        } else {
            unknownElement({"deviceNames"});
        }
    }
}

Reference Checker::deviceNames() {
    static const QStringList known = DeviceNames::nameElements() << QStringLiteral("eventTable");
    Reference reference;
    Seen seen;
    while (nextChild()) {
        const QString name = reader.name().toString();
        const QString field = DeviceNames::nameElementOf(reader.name());
        if (name == QLatin1String("eventTable")) {
            once(seen, name, quoted(name));
            const SourcePosition at = here();
            const auto table = number(quoted(name), text(), at, kTableIndex);
            reference = {at, table && contains(kTableIndex, *table) ? *table : 0};
        } else if (!field.isEmpty()) {
            onceShown(seen, field);
        } else {
            unknownElement(known);
        }
    }
    return reference;
}

void Checker::command() {
    readBeforeTypeChange = true;
    if (commandCount >= Configuration::kMaxCommands) {
        error(elementStart, QStringLiteral("команд больше %1: эта команда пропускается")
                                .arg(Configuration::kMaxCommands));
        reader.skipCurrentElement();
        return;
    }
    ++commandCount;
    Seen seen;
    while (nextChild()) {
        const QString name = reader.name().toString();
        if (name == QLatin1String("name")) {
            onceShown(seen, name);
        } else if (name == QLatin1String("data")) {
            once(seen, name, quoted(name));
            commandData();
        } else {
            unknownElement({"name", "data"});
        }
    }
}

void Checker::commandData() {
    Seen seen;
    while (nextChild()) {
        if (reader.name() != QLatin1String("byte")) {
            unknownElement({"byte"});
            continue;
        }
        const auto index = indexAttribute(QStringLiteral("i"), kByteIndex, QStringLiteral("байта"),
                                          QStringLiteral("байт пропускается"));
        if (!index) {
            continue;
        }
        const QString label = QStringLiteral("байт %1").arg(*index);
        once(seen, label, label);
        const SourcePosition at = here();
        hexByte(label, text(), at);
    }
}

void Checker::eventTable() {
    const SourcePosition at = elementStart;
    const auto given =
        indexAttribute(QStringLiteral("index"), kTableIndex, QStringLiteral("таблицы событий"),
                       QStringLiteral("таблица пропускается"));
    if (!given) {
        return;
    }
    const int index = *given;
    if (tables.count(index) != 0) {
        error(at, QStringLiteral("таблица событий %1 уже задана в строке %2; действует последняя")
                      .arg(index)
                      .arg(tables.at(index).line));
    }
    tables[index] = at;
    static const QStringList known = eventTableChildren();
    Seen seen;
    while (nextChild()) {
        const QString name = reader.name().toString();
        const int event = EventTable::eventOfElement(reader.name());
        if (name == QLatin1String("name")) {
            onceShown(seen, name);
        } else if (event >= 0) {
            flagAttribute(QStringLiteral("emergency"));
            onceShown(seen, EventTable::elementName(static_cast<EventTable::Event>(event)));
        } else {
            unknownElement(known);
        }
    }
}

// The reader fills the gaps below the highest table index with default tables, so a device
// may refer to any index up to it.
void Checker::references() {
    const int count = tables.empty() ? 1 : std::max(1, tables.rbegin()->first + 1);
    for (const auto& section : sections) {
        for (const auto& entry : section.second.references) {
            const Reference& reference = entry.second;
            if (reference.table >= count) {
                error(reference.at,
                      QStringLiteral("прибор ссылается на таблицу событий %1, которой нет в файле")
                          .arg(reference.table));
            }
        }
    }
}

} // namespace

std::vector<Diagnostic> checkDocument(const QByteArray& xml) {
    return Checker(xml).run();
}

} // namespace config_velora_tq4
