#pragma once

#include <QString>
#include <QStringList>

namespace velora_report::html {

// Pieces of the report's HTML, as Qt's rich text lays them out. Texts are escaped.
QString cell(const QString& text, const QString& tag = QStringLiteral("td"));
// A table row of one line: its cells do not wrap, so no page break falls inside it.
QString row(const QStringList& cells);
// A table whose header row Qt repeats at the top of every page it runs over.
QString table(const QStringList& header, const QString& rows);
// A table of name and value pairs, without a header.
QString pairs(const QString& rows);
// A heading that starts a new page when `newPage`.
QString heading(const QString& text, bool newPage = false);
QString paragraph(const QString& text);

} // namespace velora_report::html
