#pragma once

#include <QString>

// `path` with ".suffix" added when its file name has no extension: a name typed into a
// save dialog without one gets the file type's.
QString withSuffix(const QString& path, const QString& suffix);
