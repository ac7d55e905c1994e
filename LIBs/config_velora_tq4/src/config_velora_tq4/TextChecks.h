#pragma once

#include <QString>
#include <QStringList>

namespace config_velora_tq4 {

// Width of the panel's display line, in characters. The library's own default names
// ("Aдpec 24.127 Шлeйф 1") fill it exactly.
constexpr int kDisplayWidth = 20;

// The known name one or two letters away from `name` (the nearest, the first of equals);
// empty when there is none.
QString similarName(const QString& name, const QStringList& known);
// The text as the display-form correction leaves it.
QString displayForm(const QString& text);
// The first character that the display cannot show (it shows "." instead); empty when
// there is none.
QString hiddenCharacter(const QString& text);

} // namespace config_velora_tq4
