#include <config_velora_tq4/SourceText.h>

#include <QTextCodec>

#include <algorithm>

namespace config_velora_tq4 {

SourceText::SourceText(const QByteArray& bytes, const QString& encoding) {
    QTextCodec* declared =
        encoding.isEmpty() ? nullptr : QTextCodec::codecForName(encoding.toLatin1());
    QTextCodec* codec =
        QTextCodec::codecForUtfText(bytes, declared ? declared : QTextCodec::codecForName("UTF-8"));
    text = codec->toUnicode(bytes);
    lineStarts.push_back(0);
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n') ||
            (c == QLatin1Char('\r') &&
             (i + 1 == text.size() || text.at(i + 1) != QLatin1Char('\n')))) {
            lineStarts.push_back(i + 1);
        }
    }
}

SourcePosition SourceText::at(qint64 offset) const {
    const auto next = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
    const auto line = static_cast<qint64>(next - lineStarts.begin());
    return {line, offset - *(next - 1) + 1};
}

SourcePosition SourceText::tagStart(qint64 endOffset) const {
    const int end = static_cast<int>(std::min<qint64>(endOffset, text.size()));
    const int start = end > 0 ? text.lastIndexOf(QLatin1Char('<'), end - 1) : -1;
    return at(start < 0 ? endOffset : start);
}

} // namespace config_velora_tq4
