#include <velora_report/DeviceTexts.h>

#include <QSet>

#include <gtest/gtest.h>

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
