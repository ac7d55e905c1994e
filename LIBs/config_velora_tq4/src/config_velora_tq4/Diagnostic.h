#pragma once

#include <QString>

namespace config_velora_tq4 {

// One finding of the configuration-file check, at a 1-based line and column.
struct Diagnostic {
    enum class Severity { Error, Warning };

    Severity severity = Severity::Error;
    qint64 line = 0;
    qint64 column = 0;
    QString text;

    bool isError() const { return severity == Severity::Error; }
    // "FILE:LINE:COLUMN: ошибка: text", or "предупреждение" for a warning.
    QString format(const QString& file) const;
};

} // namespace config_velora_tq4
