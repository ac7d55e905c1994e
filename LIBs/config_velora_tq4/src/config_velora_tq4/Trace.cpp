#include <config_velora_tq4/Trace.h>

#include <QDebug>

#include <atomic>

namespace config_velora_tq4 {

namespace {

std::atomic<bool>& tracing() {
    static std::atomic<bool> on{qEnvironmentVariableIntValue("VELORA_TRACE") != 0};
    return on;
}

} // namespace

void trace(const QString& line) {
    if (tracing()) {
        qDebug().noquote() << line;
    }
}

void setTracing(bool on) {
    tracing() = on;
}

} // namespace config_velora_tq4
