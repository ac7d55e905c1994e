#pragma once

#include <QString>

#include <cstdint>
#include <functional>

class SessionModel;

// The rows a log shows, as UTF-8 text: tab-separated, or comma-separated when the file name
// ends in .csv. A first line names the columns.
class LogExport {
public:
    // How often write() reports its progress, in rows.
    static constexpr std::uint64_t kProgressEvery = 4096;
    // `progress`, when given, hears every kProgressEvery rows how many are written; false
    // from it stops the export and leaves no file (false returned, `error` empty). The
    // rows are those shown when it begins.
    static bool write(const SessionModel& model, const QString& path, QString& error,
                      const std::function<bool(std::uint64_t rows)>& progress = {});
    // A CSV field, quoted when it needs to be.
    static QString csvField(const QString& text);
};
