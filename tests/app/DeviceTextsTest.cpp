#include <velora_report/DeviceTexts.h>

#include <QDateTime>
#include <QSet>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

// The short time text keeps the zone's offset for a quarter hour; it must still agree with
// the zone's rules across changes of offset, also in zones whose offset is not whole hours.
TEST(DeviceTexts, TimeOfDayAgreesWithTheZoneAcrossChangesOfOffset) {
    struct Zone {
        const char* name;
        const char* change; // a change of offset, in UTC
    };
    const Zone zones[] = {
        {"Europe/Berlin", "2026-03-29T01:00:00Z"},
        {"Europe/Berlin", "2026-10-25T01:00:00Z"},
        {"America/St_Johns", "2026-03-08T05:30:00Z"},
        {"Australia/Lord_Howe", "2026-04-04T15:00:00Z"},
        {"Asia/Kathmandu", "2026-06-01T00:00:00Z"},
        {"UTC", "1969-12-31T23:00:00Z"},
    };
    const QByteArray saved = qgetenv("TZ");
    for (const Zone& zone : zones) {
        qputenv("TZ", zone.name);
        tzset();
        const qint64 change = QDateTime::fromString(zone.change, Qt::ISODate).toMSecsSinceEpoch();
        for (qint64 ms = change - 3'600'000 + 123; ms < change + 3'600'000; ms += 59'000) {
            const auto time = velora_protocol::Timestamp::recorded(ms * 1'000'000 + 999'999);
            ASSERT_EQ(velora_report::timeText(time),
                      QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("hh:mm:ss.zzz")))
                << zone.name << " at " << ms;
        }
    }
    if (saved.isNull()) {
        qunsetenv("TZ");
    } else {
        qputenv("TZ", saved);
    }
    tzset();
}

// Lost, silent, in fault and in alarm each have a colour of their own, whatever else the
// device reported before it stopped answering.
TEST(DeviceTexts, EachStateHasItsOwnColour) {
    using velora_decoding::PointState;
    using velora_decoding::Presence;
    using velora_report::Shade;
    struct Case {
        Presence presence;
        PointState point;
        Shade shade;
    };
    const Case cases[] = {
        {Presence::Answering, PointState::Norm, Shade::Answering},
        {Presence::Answering, PointState::Alarm, Shade::Alarm},
        {Presence::Answering, PointState::Fault, Shade::Fault},
        {Presence::Lost, PointState::Fault, Shade::Lost},
        {Presence::Lost, PointState::Alarm, Shade::Lost},
        {Presence::Silent, PointState::Unknown, Shade::Silent},
        {Presence::NotPolled, PointState::Unknown, Shade::NotPolled},
    };
    for (const Case& c : cases) {
        velora_decoding::DeviceStatus device;
        device.presence = c.presence;
        device.points[0] = c.point;
        EXPECT_EQ(velora_report::stateColor(device), velora_report::shadeColor(c.shade))
            << velora_report::stateText(device, nullptr, 1).toStdString();
    }
    QSet<QRgb> colours;
    for (int shade = 0; shade < velora_report::kShadeCount; ++shade) {
        colours.insert(velora_report::shadeColor(Shade(shade)).rgb());
    }
    EXPECT_EQ(colours.size(), velora_report::kShadeCount);
}
