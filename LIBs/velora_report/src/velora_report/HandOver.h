#pragma once

#include <velora_decoding/Acceptance.h>
#include <velora_decoding/WalkTest.h>
#include <velora_report/ConfigComparison.h>

#include <QString>

#include <optional>

namespace velora_report {

// What turns the line report into the hand-over of a commissioned installation: the
// object and the engineer, the walk test, the acceptance of the line against its limits.
// Parts left empty are left out.
struct HandOver {
    QString objectName;
    QString objectAddress;
    QString engineer;
    const velora_decoding::WalkTest* walk = nullptr;
    std::optional<velora_decoding::AcceptanceLimits> limits;
};

// "проверено", "только тревога", "не проверено", "не используется".
QString walkResultText(velora_decoding::WalkResult result);

// The walk test as CSV (UTF-8, comma-separated, a header line): address, check, name,
// alarm and normal times, result, as the report's table has them.
QString walkCsv(const velora_decoding::WalkTest& walk, const ConfigComparison& comparison);

namespace html {

// The head of a hand-over: object, its address, engineer, panel, date.
QString handOverHead(const HandOver& handOver, const ConfigComparison* comparison);
// "проверено N из M", the table of every check, the alarms of unconfigured addresses.
QString walkSection(const velora_decoding::WalkTest& walk, const ConfigComparison& comparison);
// Each configured device and the line with the figure that decided its result.
QString acceptanceSection(const velora_decoding::DeviceTracker& tracker,
                          const ConfigComparison& comparison,
                          const velora_decoding::AcceptanceLimits& limits);
// Lines for the signatures of the engineer and the client.
QString signatures();

} // namespace html

} // namespace velora_report
