#include <config_velora_tq4/Trace.h>

#include <QDebug>

namespace config_velora_tq4 {

void trace(const QString& line) {
    qDebug().noquote() << line;
}

} // namespace config_velora_tq4
