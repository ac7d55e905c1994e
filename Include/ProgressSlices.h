#pragma once

#include <QProgressDialog>

#include <cstdint>
#include <functional>

// A long operation done on the user interface thread in slices. Between slices the
// window's events run, so live frames go on into the log and the window repaints; after a
// moment a progress dialog, modal to the window, shows how far it is and offers Cancel.
class ProgressSlices {
public:
    // The work reports how far it is with a count of `total`, and stops when told false.
    using Step = std::function<bool(std::uint64_t done)>;

    ProgressSlices(QWidget* parent, const QString& label, std::uint64_t total);

    // Done up to `done` of the total; false once the user pressed Cancel.
    bool step(std::uint64_t done);
    Step stepper() {
        return [this](std::uint64_t done) { return step(done); };
    }
    // The work is over: the dialog goes, and does not come up later over a message box.
    void finish();
    bool cancelled() const { return stopped; }

private:
    static constexpr int kSteps = 1000;

    QProgressDialog dialog;
    std::uint64_t total;
    bool stopped = false;
};
