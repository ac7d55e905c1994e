#pragma once

#include <QDockWidget>

#include <cstdint>

class QPlainTextEdit;
class SessionModel;
struct FrameRecord;

// The dock with the whole of one frame of the session: its text, the times of its first
// and last byte, its bytes, and what they carry: the flags of an answer with data, the
// fields of a command.
class FrameDetail : public QDockWidget {
    Q_OBJECT
public:
    explicit FrameDetail(const SessionModel& session, QWidget* parent = nullptr);

    QString text() const;
    // The description of a record as the dock shows it.
    static QString describe(const SessionModel& session, std::uint64_t record);

public slots:
    // Shows the record, or nothing for -1.
    void showRecord(std::int64_t record);

private:
    static QString answerFlags(const FrameRecord& record);
    static QString commandFields(const FrameRecord& record);

    const SessionModel& session;
    QPlainTextEdit* view;
};
