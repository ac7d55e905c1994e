#include <ProgressSlices.h>

#include <QCoreApplication>

#include <algorithm>

ProgressSlices::ProgressSlices(QWidget* parent, const QString& label, std::uint64_t total)
    : dialog(label, QObject::tr("Отмена"), 0, kSteps, parent)
    , total(std::max<std::uint64_t>(total, 1)) {
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(500);
    dialog.setAutoReset(false);
    dialog.setValue(0);
}

bool ProgressSlices::step(std::uint64_t done) {
    dialog.setValue(int(std::min(done, total) * kSteps / total));
    // Until the dialog shows and blocks the window, the user's input waits: a click on
    // "Очистить" must not pull the rows from under an export.
    QCoreApplication::processEvents(dialog.isVisible() ? QEventLoop::AllEvents
                                                       : QEventLoop::ExcludeUserInputEvents);
    stopped = dialog.wasCanceled();
    return !stopped;
}

void ProgressSlices::finish() {
    dialog.reset();
}
