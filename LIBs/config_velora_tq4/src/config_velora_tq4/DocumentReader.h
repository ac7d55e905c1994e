#pragma once

#include <config_velora_tq4/Diagnostic.h>
#include <config_velora_tq4/SourceText.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace config_velora_tq4 {

struct Range {
    int low;
    int high;
};

constexpr Range kAnyNumber{std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};

inline bool contains(Range range, int value) {
    return value >= range.low && value <= range.high;
}

inline QString quoted(const QString& text) {
    return QStringLiteral("«%1»").arg(text);
}

inline QString rangeText(Range range) {
    return QStringLiteral("%1..%2").arg(range.low).arg(range.high);
}

// Where each child was first given within one parent element.
using Seen = std::map<QString, SourcePosition>;

// Walks a configuration document as the library's readers do and collects diagnostics on
// what they would take differently from what it says: the reading steps of the check.
class DocumentReader {
protected:
    explicit DocumentReader(const QByteArray& xml)
        : bytes(xml)
        , reader(xml) {}
    virtual ~DocumentReader() = default;

    // Reads the start of the document; from then on positions are known.
    void start();

    void report(Diagnostic::Severity severity, SourcePosition at, const QString& text) {
        diagnostics.push_back({severity, at.line, at.column, text});
    }
    void error(SourcePosition at, const QString& text) {
        report(Diagnostic::Severity::Error, at, text);
    }
    void warning(SourcePosition at, const QString& text) {
        report(Diagnostic::Severity::Warning, at, text);
    }
    void note(SourcePosition at, const QString& text) {
        report(Diagnostic::Severity::Note, at, text);
    }

    SourcePosition here() const { return source->at(reader.characterOffset()); }
    bool nextChild();
    QString text();
    void unknownElement(const QStringList& known);
    void once(Seen& seen, const QString& key, const QString& what);

    std::optional<int> number(const QString& label, const QString& text, SourcePosition at,
                              Range range);
    std::optional<int> attributeNumber(const QString& name, const QString& label);
    std::optional<int> requiredAttribute(const QString& name, const QString& label,
                                         const QString& missing);
    std::optional<int> indexAttribute(const QString& name, Range range, const QString& of,
                                      const QString& skipped);
    bool flagAttribute(const QString& name);
    void hexByte(const QString& label, const QString& text, SourcePosition at);
    void onceShown(Seen& seen, const QString& key);

    QByteArray bytes;
    QXmlStreamReader reader;
    std::unique_ptr<SourceText> source;
    SourcePosition elementStart;
    std::vector<Diagnostic> diagnostics;

private:
    void displayText(const QString& label, SourcePosition at);
};

} // namespace config_velora_tq4
