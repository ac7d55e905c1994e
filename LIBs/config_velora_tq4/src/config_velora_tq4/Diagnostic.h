#pragma once

#include <QString>

namespace config_velora_tq4 {

// One finding of the configuration-file check, at a 1-based line and column. A note tells
// what the panel does anyway, such as writing a name in the display's form.
struct Diagnostic {
    enum class Severity { Error, Warning, Note };

    Severity severity = Severity::Error;
    qint64 line = 0;
    qint64 column = 0;
    QString text;

    bool isError() const { return severity == Severity::Error; }
    // "FILE:LINE:COLUMN: ошибка: text", "предупреждение" for a warning, "заметка" for a note.
    QString format(const QString& file) const;
};

} // namespace config_velora_tq4
