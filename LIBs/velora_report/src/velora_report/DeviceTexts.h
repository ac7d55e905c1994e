#pragma once

#include <velora_decoding/DeviceChange.h>
#include <velora_decoding/DeviceStatus.h>
#include <velora_report/ConfigComparison.h>

#include <QColor>
#include <QString>

namespace velora_report {

// The overview's words for a device, in Russian: the desktop dock, its map, the status
// bar, the line report and velora-sniff's alerts say the same.
QString presenceText(velora_decoding::Presence presence);
QString pointStateText(velora_decoding::PointState state);
QString verdictText(Verdict verdict);
// Presence, alarm or fault, and what the configuration says: "отвечает, тревога".
QString stateText(const velora_decoding::DeviceStatus& device, const ConfigComparison* comparison,
                  int address);
// What a device's colour tells, one colour each. A device that stopped answering shows
// that, whatever it reported before.
enum class Shade { Lost, Silent, Alarm, Fault, Answering, NotPolled };
constexpr int kShadeCount = 6;
Shade shadeOf(const velora_decoding::DeviceStatus& device);
QColor shadeColor(Shade shade);
// The legend's word for a colour: "пропал", "тревога" and so on.
QString shadeText(Shade shade);
// The colour of a device's state: shadeColor(shadeOf(device)).
QColor stateColor(const velora_decoding::DeviceStatus& device);
// "пропал", "конец тревоги" and the like.
QString changeWhat(const velora_decoding::DeviceChange& change);
// "прибор 5: пропал" and the like.
QString changeText(const velora_decoding::DeviceChange& change);
// Local time of day with milliseconds; with the date when asked; "—" when unknown.
QString timeText(const velora_protocol::Timestamp& time, bool withDate = false);

} // namespace velora_report
