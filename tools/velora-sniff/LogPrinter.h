#pragma once

#include <QObject>
#include <QString>

#include <cstdio>

// Prints the event listener's log messages, one line each. The text form is for people:
// the direction marker of the desktop log, the address (blank for trash), the text and,
// on request, the raw bytes and the local time. The TSV form is for programs: type,
// address (0 for trash), text and raw bytes, separated by tabs.
class LogPrinter : public QObject {
    Q_OBJECT

public:
    enum class Format { Text, Tsv };

    LogPrinter(Format format, bool showRaw, bool timestamps, std::FILE* out);

    QString format(int type, int address, const QString& text, const QString& rawData) const;

public slots:
    void print(int type, int address, const QString& text, const QString& rawData);

private:
    Format lineFormat;
    bool showRaw;
    bool timestamps;
    std::FILE* out;
};
