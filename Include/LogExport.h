#pragma once

#include <QString>

class SessionModel;

// The rows a log shows, as UTF-8 text: tab-separated, or comma-separated when the file name
// ends in .csv. A first line names the columns.
class LogExport {
public:
    static bool write(const SessionModel& model, const QString& path, QString& error);
    // A CSV field, quoted when it needs to be.
    static QString csvField(const QString& text);
};
