#include <velora_report/DeviceTexts.h>

#include <QDateTime>

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
