#include <LineHealth.h>

LineHealth::LineHealth(QWidget* parent)
    : QLabel(parent) {
    setObjectName(QStringLiteral("lineHealth"));
    connect(&timer, &QTimer::timeout, this, &LineHealth::tick);
}

void LineHealth::setActive(bool active) {
    bytes = frames = trashBytes = 0;
    silentSeconds = 0;
    clear();
    if (active) {
        timer.start(1000);
    } else {
        timer.stop();
    }
}

void LineHealth::add(const std::vector<velora_protocol::Frame>& batch) {
    for (const velora_protocol::Frame& frame : batch) {
        bytes += frame.size;
        trashBytes += frame.type == mtTrash ? frame.size : 0;
    }
    frames += long(batch.size());
}

void LineHealth::tick() {
    silentSeconds = frames > 0 ? 0 : silentSeconds + 1;
    setText(describe(bytes, frames, trashBytes, silentSeconds));
    bytes = frames = trashBytes = 0;
}

QString LineHealth::describe(long bytes, long frames, long trashBytes, int silentSeconds) {
    if (silentSeconds > 0) {
        return tr("нет данных %1 с").arg(silentSeconds);
    }
    const double trash = bytes > 0 ? double(trashBytes) / double(bytes) : 0.0;
    QString text =
        tr("%1 байт/с, %2 кадров/с, мусор %3 %").arg(bytes).arg(frames).arg(qRound(trash * 100));
    if (trash > kMostlyTrash) {
        text += tr(" — проверьте скорость линии и провода A и B");
    }
    return text;
}
