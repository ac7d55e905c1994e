#pragma once

#include <QString>

class SessionModel;

// Decodes a capture (pcap or pcapng) or a raw recording of the line into the session at full
// speed, with the recorded times. A raw recording's bytes follow one another at the line's
// pace, ending when the file was last written.
class CaptureLoader {
public:
    // Appends to the model whatever it can read. False when the file could not be opened at
    // all or the read broke off; problem() then says why. A damaged but readable file is
    // loaded and named by problem() too.
    bool load(const QString& path, SessionModel& model);
    const QString& problem() const { return problemText; }

private:
    QString problemText;
};
