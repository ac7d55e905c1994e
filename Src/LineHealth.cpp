#include <LineHealth.h>

#include <velora_decoding/LineLoad.h>
#include <velora_report/LineTexts.h>

#include <algorithm>

LineHealth::LineHealth(QWidget* parent)
    : QLabel(parent) {
    setObjectName(QStringLiteral("lineHealth"));
    connect(&timer, &QTimer::timeout, this,
            [this] { tick(velora_protocol::Timestamp::now().wallNs); });
}

void LineHealth::setActive(bool active) {
    counting = whole = Second{};
    firstSecond = -1;
    newestNs = 0;
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
        count(frame);
    }
}

void LineHealth::count(const velora_protocol::Frame& frame) {
    const std::int64_t second = frame.times.last.wallNs / kSecondNs;
    if (newestNs == 0) {
        firstSecond = second; // counted from its middle: never shown
    }
    if (second > counting.number) {
        // A second without frames between them was a silent one.
        whole = second == counting.number + 1 ? counting : Second{second - 1};
        counting = Second{second};
    }
    counting.bytes += frame.size;
    counting.frames += 1;
    counting.trashBytes += frame.type == mtTrash ? frame.size : 0;
    newestNs = std::max(newestNs, frame.times.last.wallNs);
}

void LineHealth::tick(std::int64_t nowNs) {
    if (newestNs == 0) {
        ++silentSeconds;
    } else {
        silentSeconds = nowNs - newestNs > kLateNs ? int((nowNs - newestNs) / kSecondNs) : 0;
        if (silentSeconds == 0 && whole.number <= firstSecond) {
            return; // no whole second yet
        }
    }
    QString text = describe(whole.bytes, whole.frames, whole.trashBytes, silentSeconds,
                            line ? velora_report::minuteLoadText(line->minuteLoad) : QString());
    if (converter) {
        text += QStringLiteral("; ") + velora_report::errorCountsText(*converter);
    }
    setText(text);
}

QString LineHealth::describe(long bytes, long frames, long trashBytes, int silentSeconds,
                             const QString& minutes) {
    if (silentSeconds > 0) {
        return tr("нет данных %1 с").arg(silentSeconds);
    }
    const double trash = bytes > 0 ? double(trashBytes) / double(bytes) : 0.0;
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
