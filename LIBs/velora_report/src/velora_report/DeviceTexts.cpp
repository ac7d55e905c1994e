#include <velora_report/DeviceTexts.h>

#include <velora_session/TimeText.h>

#include <QCoreApplication>
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

Shade shadeOf(const velora_decoding::DeviceStatus& device) {
    switch (device.presence) {
    case Presence::Lost:
        return Shade::Lost;
    case Presence::Silent:
        return Shade::Silent;
    case Presence::NotPolled:
        return Shade::NotPolled;
    case Presence::Answering:
        break;
    }
    return device.alarm() ? Shade::Alarm : device.fault() ? Shade::Fault : Shade::Answering;
}

QColor shadeColor(Shade shade) {
    static const QColor colors[kShadeCount] = {
        QColor(0xc0, 0x90, 0xf0), // lost: violet
        QColor(0xb0, 0xb0, 0xb0), // silent: grey
        QColor(0xff, 0x70, 0x70), // alarm: red
        QColor(0xff, 0xe0, 0x60), // fault: yellow
        QColor(0xa0, 0xe0, 0xa0), // answering: green
        QColor(0xf4, 0xf4, 0xf4), // not polled: almost white
    };
    return colors[static_cast<int>(shade)];
}

QString shadeText(Shade shade) {
    switch (shade) {
    case Shade::Lost:
        return presenceText(Presence::Lost);
    case Shade::Silent:
        return presenceText(Presence::Silent);
    case Shade::Alarm:
        return tr("тревога");
    case Shade::Fault:
        return tr("неисправность");
    case Shade::Answering:
        return presenceText(Presence::Answering);
    case Shade::NotPolled:
        break;
    }
    return presenceText(Presence::NotPolled);
}

QColor stateColor(const velora_decoding::DeviceStatus& device) {
    return shadeColor(shadeOf(device));
}

QString changeWhat(const DeviceChange& change) {
    switch (change.kind) {
    case DeviceChange::PresenceChanged:
        return presenceText(change.presence);
    case DeviceChange::AlarmBegan:
        return tr("тревога");
    case DeviceChange::AlarmEnded:
        return tr("конец тревоги");
    case DeviceChange::FaultBegan:
        return tr("неисправность");
    case DeviceChange::FaultEnded:
        break;
    }
    return tr("конец неисправности");
}

QString changeText(const DeviceChange& change) {
    return tr("прибор %1: %2").arg(change.address).arg(changeWhat(change));
}

QString timeText(const velora_protocol::Timestamp& time, bool withDate) {
    if (!time.known()) {
        return QStringLiteral("—");
    }
    return QString::fromStdString(withDate ? velora_session::dateTimeText(time.wallNs)
                                           : velora_session::clockText(time.wallNs));
}

} // namespace velora_report
