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
// The colour of a device's state: alarm, fault, lost, silent, answering, not polled.
QColor stateColor(const velora_decoding::DeviceStatus& device);
// "прибор 5: пропал" and the like.
QString changeText(const velora_decoding::DeviceChange& change);
// Local time of day with milliseconds; with the date when asked; "—" when unknown.
QString timeText(const velora_protocol::Timestamp& time, bool withDate = false);

} // namespace velora_report
