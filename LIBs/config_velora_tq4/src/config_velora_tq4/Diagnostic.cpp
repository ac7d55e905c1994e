#include <config_velora_tq4/Diagnostic.h>

namespace config_velora_tq4 {

QString Diagnostic::format(const QString& file) const {
    return QStringLiteral("%1:%2:%3: %4: %5")
        .arg(file)
        .arg(line)
        .arg(column)
        .arg(isError() ? QStringLiteral("ошибка") : QStringLiteral("предупреждение"), text);
}

} // namespace config_velora_tq4
