#include <config_velora_tq4/Diagnostic.h>

namespace config_velora_tq4 {

QString Diagnostic::format(const QString& file) const {
    const QString kinds[] = {QStringLiteral("ошибка"), QStringLiteral("предупреждение"),
                             QStringLiteral("заметка")};
    return QStringLiteral("%1:%2:%3: %4: %5")
        .arg(file)
        .arg(line)
        .arg(column)
        .arg(kinds[static_cast<int>(severity)], text);
}

} // namespace config_velora_tq4
