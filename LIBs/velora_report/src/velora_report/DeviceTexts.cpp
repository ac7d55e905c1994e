#include <velora_report/DeviceTexts.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QStringList>

namespace velora_report {

using velora_decoding::DeviceChange;
using velora_decoding::PointState;
using velora_decoding::Presence;

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("DeviceTexts", text);
}

} // namespace

QString presenceText(Presence presence) {
    switch (presence) {
    case Presence::Answering:
        return tr("отвечает");
    case Presence::Silent:
        return tr("молчит");
    case Presence::Lost:
        return tr("пропал");
    case Presence::NotPolled:
        break;
    }
    return tr("не опрашивается");
}

QString pointStateText(PointState state) {
    switch (state) {
    case PointState::Norm:
        return tr("норма");
    case PointState::Alarm:
        return tr("тревога");
    case PointState::Fault:
        return tr("неисправность");
    case PointState::Off:
        return tr("отключён");
    case PointState::Unknown:
        break;
    }
    return QStringLiteral("—");
}

QString verdictText(Verdict verdict) {
    switch (verdict) {
    case Verdict::Answering:
        return tr("в конфигурации, отвечает");
    case Verdict::Silent:
        return tr("в конфигурации, не отвечает");
    case Verdict::NeverPolled:
        return tr("в конфигурации, не опрашивается");
    case Verdict::NotConfigured:
        return tr("нет в конфигурации");
    case Verdict::Irrelevant:
        break;
    }
    return QString();
}

QString stateText(const velora_decoding::DeviceStatus& device, const ConfigComparison* comparison,
                  int address) {
    QStringList parts{presenceText(device.presence)};
    if (device.alarm()) {
        parts << tr("тревога");
    }
    if (device.fault()) {
        parts << tr("неисправность");
    }
    if (comparison != nullptr && comparison->loaded()) {
        const QString verdict = verdictText(comparison->verdict(address, device));
        if (!verdict.isEmpty()) {
            parts << verdict;
        }
    }
    return parts.join(QStringLiteral(", "));
}

QColor stateColor(const velora_decoding::DeviceStatus& device) {
    if (device.alarm()) {
        return QColor(0xff, 0x80, 0x80);
    }
    if (device.fault()) {
        return QColor(0xff, 0xe0, 0x70);
    }
    switch (device.presence) {
    case Presence::Answering:
        return QColor(0xa0, 0xe0, 0xa0);
    case Presence::Lost:
        return QColor(0xff, 0xb0, 0x50);
    case Presence::Silent:
        return QColor(0xc0, 0xc0, 0xc0);
    case Presence::NotPolled:
        break;
    }
    return QColor(0xf4, 0xf4, 0xf4);
}

QString changeText(const DeviceChange& change) {
    QString what;
    switch (change.kind) {
    case DeviceChange::PresenceChanged:
        what = presenceText(change.presence);
        break;
    case DeviceChange::AlarmBegan:
        what = tr("тревога");
        break;
    case DeviceChange::AlarmEnded:
        what = tr("конец тревоги");
        break;
    case DeviceChange::FaultBegan:
        what = tr("неисправность");
        break;
    case DeviceChange::FaultEnded:
        what = tr("конец неисправности");
        break;
    }
    return tr("прибор %1: %2").arg(change.address).arg(what);
}

QString timeText(const velora_protocol::Timestamp& time, bool withDate) {
    if (!time.known()) {
        return QStringLiteral("—");
    }
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(time.wallNs / 1'000'000);
    return local.toString(withDate ? QStringLiteral("dd.MM.yyyy hh:mm:ss.zzz")
                                   : QStringLiteral("hh:mm:ss.zzz"));
}

} // namespace velora_report
