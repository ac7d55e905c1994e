#include <LineHealth.h>

#include <velora_decoding/LineLoad.h>
#include <velora_report/LineTexts.h>

LineHealth::LineHealth(QWidget* parent)
    : QLabel(parent) {
    setObjectName(QStringLiteral("lineHealth"));
    connect(&timer, &QTimer::timeout, this, &LineHealth::tick);
}

void LineHealth::setActive(bool active) {
    bytes = frames = trashBytes = 0;
    silentSeconds = 0;
    converter.reset();
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
    QString text = describe(bytes, frames, trashBytes, silentSeconds,
                            line ? velora_report::minuteLoadText(line->minuteLoad) : QString());
    if (converter) {
        text += QStringLiteral("; ") + velora_report::errorCountsText(*converter);
    }
    setText(text);
    bytes = frames = trashBytes = 0;
}

QString LineHealth::describe(long bytes, long frames, long trashBytes, int silentSeconds,
                             const QString& minutes) {
    if (silentSeconds > 0) {
        return tr("нет данных %1 с").arg(silentSeconds);
    }
    const double trash = bytes > 0 ? double(trashBytes) / double(bytes) : 0.0;
    constexpr std::int64_t kSecondNs = 1'000'000'000;
    QString text = tr("%1 байт/с, %2 кадров/с, мусор %3 %, загрузка %4%5")
                       .arg(bytes)
                       .arg(frames)
                       .arg(qRound(trash * 100))
                       .arg(velora_report::loadPercent(
                           velora_decoding::LineLoad::share(std::uint64_t(bytes), kSecondNs)))
                       .arg(minutes);
    if (trash > kMostlyTrash) {
        text += tr(" — проверьте скорость линии и провода A и B");
    }
    return text;
}
