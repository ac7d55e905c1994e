#include <config_velora_tq4/DocumentReader.h>
#include <config_velora_tq4/TextChecks.h>

namespace config_velora_tq4 {

namespace {

constexpr unsigned kMaxByte = 0xFF;

} // namespace

void DocumentReader::start() {
    reader.readNext();
    source = std::make_unique<SourceText>(bytes, reader.documentEncoding().toString());
}

// Moves to the next child start element of the current element; false at its end tag or
// when the XML breaks off.
bool DocumentReader::nextChild() {
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            elementStart = source->tagStart(reader.characterOffset());
            return true;
        }
        if (reader.isEndElement()) {
            return false;
        }
    }
    return false;
}

// The text of the current element, as the readers take it: nested elements are skipped.
QString DocumentReader::text() {
    QString result;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isCharacters()) {
            result += reader.text();
        } else if (reader.isStartElement()) {
            warning(source->tagStart(reader.characterOffset()),
                    QStringLiteral("вложенный элемент %1 пропускается")
                        .arg(quoted(reader.name().toString())));
            reader.skipCurrentElement();
        } else if (reader.isEndElement()) {
            break;
        }
    }
    return result;
}

void DocumentReader::unknownElement(const QStringList& known) {
    const QString name = reader.name().toString();
    QString text = QStringLiteral("неизвестный элемент %1 пропускается").arg(quoted(name));
    const QString similar = similarName(name, known);
    if (!similar.isEmpty()) {
        text += QStringLiteral("; возможно, имелось в виду %1").arg(quoted(similar));
    }
    warning(elementStart, text);
    reader.skipCurrentElement();
}

void DocumentReader::once(Seen& seen, const QString& key, const QString& what) {
    const auto earlier = seen.find(key);
    if (earlier != seen.end()) {
        warning(elementStart,
                QStringLiteral("%1 повторяется (впервые в строке %2); действует последнее значение")
                    .arg(what)
                    .arg(earlier->second.line));
    }
    seen[key] = elementStart;
}

std::optional<int> DocumentReader::number(const QString& label, const QString& text,
                                          SourcePosition at, Range range) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok) {
        error(at, QStringLiteral("%1: %2 — не число, читается как 0").arg(label, quoted(text)));
        return std::nullopt;
    }
    if (!contains(range, value)) {
        error(
            at,
            QStringLiteral("%1: %2 вне диапазона %3").arg(label).arg(value).arg(rangeText(range)));
    }
    return value;
}

// An attribute read as a decimal number (absent or not a number: 0); an error when it is
// present but not a number. Empty unless it holds a number.
std::optional<int> DocumentReader::attributeNumber(const QString& name, const QString& label) {
    const QXmlStreamAttributes attributes = reader.attributes();
    if (!attributes.hasAttribute(name)) {
        return std::nullopt;
    }
    return number(label, attributes.value(name).toString(), elementStart, kAnyNumber);
}

std::optional<int> DocumentReader::requiredAttribute(const QString& name, const QString& label,
                                                     const QString& missing) {
    if (!reader.attributes().hasAttribute(name)) {
        error(elementStart,
              QStringLiteral("%1 (атрибут %2), читается как 0").arg(missing, quoted(name)));
    }
    return attributeNumber(name, label);
}

// The index of a byte or a table, as its reader takes it (absent or not a number: 0); empty,
// with the element skipped, when it is outside `range`.
std::optional<int> DocumentReader::indexAttribute(const QString& name, Range range,
                                                  const QString& of, const QString& skipped) {
    const int index = requiredAttribute(name, QStringLiteral("номер %1").arg(of),
                                        QStringLiteral("у %1 нет номера").arg(of))
                          .value_or(0);
    if (!contains(range, index)) {
        error(elementStart, QStringLiteral("номер %1 %2 вне диапазона %3, %4")
                                .arg(of)
                                .arg(index)
                                .arg(rangeText(range), skipped));
        reader.skipCurrentElement();
        return std::nullopt;
    }
    return index;
}

// "true" or "false"; any other value reads as false.
bool DocumentReader::flagAttribute(const QString& name) {
    const QStringRef value = reader.attributes().value(name);
    if (reader.attributes().hasAttribute(name) && value != QLatin1String("true") &&
        value != QLatin1String("false")) {
        warning(elementStart,
                QStringLiteral("атрибут %1: %2 читается как «false»; ожидается «true» или «false»")
                    .arg(quoted(name), quoted(value.toString())));
    }
    return value == QLatin1String("true");
}

void DocumentReader::hexByte(const QString& label, const QString& text, SourcePosition at) {
    if (!text.startsWith(QLatin1String("0x"))) {
        error(at,
              QStringLiteral("%1: %2 не читается: нужен префикс «0x»").arg(label, quoted(text)));
        return;
    }
    bool ok = false;
    const qulonglong value = text.midRef(2).toULongLong(&ok, 16);
    if (!ok) {
        error(at, QStringLiteral("%1: %2 — не шестнадцатеричное число, читается как 0")
                      .arg(label, quoted(text)));
    } else if (value > kMaxByte) {
        error(
            at,
            QStringLiteral("%1: %2 больше 0xFF, сохраняется только младший байт").arg(label, text));
    }
}

// A text that the display shows, given once under its parent (`key` names the field).
void DocumentReader::onceShown(Seen& seen, const QString& key) {
    const QString label = quoted(reader.name().toString());
    once(seen, key, label);
    displayText(label, here());
}

// Reads the current element's text, which the display shows.
void DocumentReader::displayText(const QString& label, SourcePosition at) {
    const QString value = text();
    const QString form = displayForm(value);
    // The panel writes every name in its display's form: Cyrillic letters that look like
    // Latin ones become those. Worth a note, not a warning.
    if (form != value) {
        note(at, QStringLiteral("%1: %2 будет записано в виде для дисплея %3")
                     .arg(label, quoted(value), quoted(form)));
    }
    const QString hidden = hiddenCharacter(form);
    if (!hidden.isEmpty()) {
        warning(at, QStringLiteral("%1: символ %2 дисплей не показывает, вместо него будет «.»")
                        .arg(label, quoted(hidden)));
    }
    const int length = form.toUcs4().size();
    if (length > kDisplayWidth) {
        warning(at, QStringLiteral("%1: %2 длиннее строки дисплея: %3 знака при ширине %4")
                        .arg(label, quoted(form))
                        .arg(length)
                        .arg(kDisplayWidth));
    }
}

} // namespace config_velora_tq4
