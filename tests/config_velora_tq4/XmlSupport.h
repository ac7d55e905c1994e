#pragma once

#include <config_velora_tq4/Trace.h>

#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

// Prints wide strings readably in failure messages.
inline void PrintTo(const std::wstring& text, std::ostream* os) {
    *os << '"' << QString::fromStdWString(text).toStdString() << '"';
}

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace xml_support {

// Writes one element with `write(writer)` and returns the text, without indentation.
template <typename Write>
QString written(Write write) {
    QString text;
    QXmlStreamWriter writer(&text);
    write(writer);
    return text;
}

// Positions a reader on the first start element of `xml` and runs `read(reader)`; checks
// that the reader ends on the end tag of that element without an error.
template <typename Read>
void readElement(const QString& xml, Read read) {
    QXmlStreamReader reader(xml);
    ASSERT_TRUE(reader.readNextStartElement());
    const QString name = reader.name().toString();
    read(reader);
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    EXPECT_TRUE(reader.isEndElement());
    EXPECT_EQ(reader.name().toString(), name);
}

// Collects the debug-stream lines written while it lives.
class TraceCapture {
public:
    TraceCapture() {
        lines().clear();
        previous = qInstallMessageHandler(&TraceCapture::collect);
        config_velora_tq4::setTracing(true);
    }
    ~TraceCapture() {
        config_velora_tq4::setTracing(false);
        qInstallMessageHandler(previous);
    }
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    const QStringList& captured() const { return lines(); }

private:
    static QStringList& lines() {
        static QStringList all;
        return all;
    }
    static void collect(QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtDebugMsg) {
            lines() << text;
        }
    }
    QtMessageHandler previous;
};

} // namespace xml_support
