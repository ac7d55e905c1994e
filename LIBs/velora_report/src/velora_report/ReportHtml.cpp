#include <velora_report/ReportHtml.h>

namespace velora_report::html {

QString cell(const QString& text, const QString& tag) {
    return QStringLiteral("<%1>%2</%1>").arg(tag, text.toHtmlEscaped());
}

QString row(const QStringList& cells) {
    QString html = QStringLiteral("<tr>");
    for (const QString& text : cells) {
        html +=
            QStringLiteral("<td style=\"white-space: nowrap\">%1</td>").arg(text.toHtmlEscaped());
    }
    return html + QStringLiteral("</tr>");
}

QString table(const QStringList& header, const QString& rows) {
    QString head = QStringLiteral("<thead><tr>");
    for (const QString& title : header) {
        head += cell(title, QStringLiteral("th"));
    }
    return QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\">") + head +
           QStringLiteral("</tr></thead>") + rows + QStringLiteral("</table>");
}

QString pairs(const QString& rows) {
    return QStringLiteral("<table border=\"0\" cellspacing=\"0\" cellpadding=\"2\">") + rows +
           QStringLiteral("</table>");
}

QString heading(const QString& text, bool newPage) {
    return QStringLiteral("<h2%1>%2</h2>")
        .arg(newPage ? QStringLiteral(" style=\"page-break-before: always\"") : QString(),
             text.toHtmlEscaped());
}

QString paragraph(const QString& text) {
    return QStringLiteral("<p>%1</p>").arg(text.toHtmlEscaped());
}

} // namespace velora_report::html
