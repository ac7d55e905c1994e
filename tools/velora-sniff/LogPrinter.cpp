#include "LogPrinter.h"

#include <velora_protocol/MessageType.h>

#include <QByteArray>
#include <QDateTime>

LogPrinter::LogPrinter(Format format, bool showRaw, bool timestamps, std::FILE* out)
    : lineFormat(format)
    , showRaw(showRaw)
    , timestamps(timestamps)
    , out(out) {}

QString LogPrinter::format(int type, int address, const QString& text,
                           const QString& rawData) const {
    if (lineFormat == Format::Tsv) {
        return QStringLiteral("%1\t%2\t%3\t%4\n").arg(type).arg(address).arg(text, rawData);
    }
    QString line;
    if (timestamps) {
        line = QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss.zzz "));
    }
    line += QLatin1String(directionMarker(type)) + ' ';
    line += address > 0 ? QString::number(address).rightJustified(3) : QStringLiteral("   ");
    line += QStringLiteral("  ") + text;
    if (showRaw && !rawData.isEmpty()) {
        line += QStringLiteral("  [") + rawData + ']';
    }
    return line + '\n';
}

void LogPrinter::print(int type, int address, const QString& text, const QString& rawData) {
    const QByteArray line = format(type, address, text, rawData).toUtf8();
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), out);
}
