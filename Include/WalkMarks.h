#pragma once

#include <velora_decoding/PointChange.h>

#include <QString>

#include <set>
#include <utility>

// The checks of a walk test marked as not used, kept beside a saved capture in
// "<capture>.walk": one "address<TAB>check" line per mark, the check as walkCheckId()
// names it ("loop1" … "tamper").
using WalkMarks = std::set<std::pair<int, velora_decoding::WalkCheck>>;

QString walkMarksPath(const QString& capturePath);
// Writes the marks, or removes an old file when there are none; false with the reason in
// *error when the file cannot be written.
bool writeWalkMarks(const QString& capturePath, const WalkMarks& marks, QString* error);
// The marks beside the capture; nothing when there is no such file. Lines it does not
// understand are skipped.
WalkMarks readWalkMarks(const QString& capturePath);
