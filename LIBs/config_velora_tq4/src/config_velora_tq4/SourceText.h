#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace config_velora_tq4 {

struct SourcePosition {
    qint64 line = 1;
    qint64 column = 1; // 1-based
};

// The decoded text of a document, for the one position the XML reader does not give: where a
// start tag begins. Offsets are the reader's character offsets.
class SourceText {
public:
    // `encoding` is the one the document declares (empty: UTF-8); a byte-order mark wins.
    SourceText(const QByteArray& bytes, const QString& encoding);

    SourcePosition at(qint64 offset) const;
    // The "<" of the tag that ends just before `endOffset`; a tag holds no other "<".
    SourcePosition tagStart(qint64 endOffset) const;

private:
    QString text;
    std::vector<qint64> lineStarts;
};

} // namespace config_velora_tq4
