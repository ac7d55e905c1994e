#include <velora_report/DeviceTable.h>
#include <velora_report/DeviceTexts.h>

#include <velora_decoding/FrameText.h>

#include <QCoreApplication>

namespace velora_report {

namespace {

QString milliseconds(std::int64_t ns) {
    return QString::number(static_cast<double>(ns) / 1e6, 'f', 1);
}

} // namespace

QString columnTitle(int column) {
    static const char* const titles[kColumnCount] = {
        "Адрес",
        "Имя",
        "Состояние",
        "Ответ",
        "Опросы",
        "Пропуски, %",
        "Время ответа, мс:\nмин./ср./99%/макс.",
        "Последний ответ",
        "Конфигурация",
    };
    return column >= 0 && column < kColumnCount
               ? QCoreApplication::translate("DeviceTable", titles[column])
               : QString();
}

bool needsComparison(int column) {
    return column == kNameColumn || column == kConfigColumn;
}

QString DeviceCell::text(int column) const {
    switch (column) {
    case kAddressColumn:
        return QString::number(address);
    case kNameColumn:
        return comparison != nullptr ? comparison->name(address) : QString();
    case kStateColumn:
        return stateText(device, nullptr, address);
    case kConfigColumn:
        return comparison != nullptr && comparison->loaded()
                   ? verdictText(comparison->verdict(address, device))
                   : QString();
    case kAnswerColumn:
        return device.lastAnswer.size == 0
                   ? QString()
                   : QString::fromStdString(velora_decoding::frameText(device.lastAnswer));
    case kPollsColumn:
        return QString::number(device.polls);
    case kMissedColumn:
        return QString::number(device.missedPercent(), 'f', 1);
    case kAnswerTimeColumn: {
        const auto& times = device.answerTimes;
        if (times.count() == 0) {
            return QString();
        }
        return QStringLiteral("%1 / %2 / %3 / %4")
            .arg(milliseconds(times.minNs()), milliseconds(times.meanNs()),
                 milliseconds(times.percentileNs(0.99)), milliseconds(times.maxNs()));
    }
    case kLastAnswerColumn:
        return timeText(device.lastAnswerTime);
    default:
        return QString();
    }
}

QVariant DeviceCell::sortValue(int column) const {
    switch (column) {
    case kAddressColumn:
        return address;
    case kStateColumn:
        // Alarm first, then fault, lost, silent, answering, not polled.
        return device.alarm() ? 0 : device.fault() ? 1 : 5 - static_cast<int>(device.presence);
    case kPollsColumn:
        return static_cast<qulonglong>(device.polls);
    case kMissedColumn:
        return device.missedPercent();
    case kAnswerTimeColumn:
        return static_cast<qlonglong>(device.answerTimes.meanNs());
    case kLastAnswerColumn:
        return static_cast<qlonglong>(device.lastAnswerTime.wallNs);
    default:
        return text(column);
    }
}

} // namespace velora_report
