// Memory and response of the log view over a long session. Run under a virtual X server or
// offscreen:
//
//   QT_QPA_PLATFORM=offscreen build/bench/app/bench_log_memory --rows 20,130
//   QT_QPA_PLATFORM=offscreen build/bench/app/bench_log_memory --open big.pcap [panel.xml]
//
// --rows feeds polls (in batches of 4096, as a capture is read) into a shown, following log
// and prints the resident memory each time a checkpoint (millions of rows) is reached.
// --open opens a capture in the main window and prints how long it takes until the first
// screen is painted and until Ctrl+End, a scroll bar jump and a find answer; with a panel
// configuration compared first, the walk test follows the capture as it is read.
#include <DeviceDock.h>
#include <LogViewWidget.h>
#include <MainWindow.h>
#include <SessionModel.h>

#include <velora_protocol/Frame.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

double residentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
        }
    }
    return 0;
}

// Milliseconds that `work` and the repaint after it take.
template <class Work>
double timed(QWidget& shown, Work work) {
    QElapsedTimer timer;
    timer.start();
    work();
    shown.repaint();
    QApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1e6;
}

void feed(const QString& checkpoints) {
    LogViewWidget view;
    view.resize(1000, 700);
    view.show();
    QApplication::processEvents();
    std::printf("empty view: %.1f MB resident\n", residentMb());
    std::vector<velora_protocol::Frame> batch(4096);
    std::int64_t rows = 0;
    QElapsedTimer timer;
    timer.start();
    for (const QString& checkpoint : checkpoints.split(',')) {
        const auto target = std::int64_t(checkpoint.toDouble() * 1e6);
        while (rows < target) {
            for (auto& frame : batch) {
                const int address = 1 + int(rows % 126);
                const auto time = velora_protocol::Timestamp::recorded(rows * 573'000);
                frame = velora_protocol::Frame::of(mtQuery, address, {std::uint8_t(0x80 | address)},
                                                   {time, time});
                ++rows;
            }
            view.session()->append(batch);
            if (rows % (64 * 4096) == 0) {
                QApplication::processEvents();
            }
        }
        QApplication::processEvents();
        std::printf("%6.1f M rows: %7.1f MB resident, %.0f s fed\n", double(rows) / 1e6,
                    residentMb(), double(timer.elapsed()) / 1000.0);
        std::fflush(stdout);
    }
}

void open(const QString& path, const QString& configuration) {
    MainWindow window;
    window.resize(1000, 700);
    window.show();
    QApplication::processEvents();
    if (!configuration.isEmpty()) {
        const QString error = window.findChild<DeviceDock*>()->loadConfiguration(configuration);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return;
        }
    }
    auto* view = window.findChild<LogViewWidget*>(QStringLiteral("logView"));
    std::printf("first screen:  %8.1f ms\n", timed(window, [&] { window.openCapture(path); }));
    std::printf("rows:          %8d, %.1f MB resident\n", view->rowCount(), residentMb());
    view->setFocus();
    std::printf("Ctrl+End:      %8.1f ms\n",
                timed(window, [&] { QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier); }));
    std::printf("Ctrl+Home:     %8.1f ms\n",
                timed(window, [&] { QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier); }));
    QScrollBar* bar = view->scrollBar();
    std::printf("bar to middle: %8.1f ms\n", timed(window, [&] {
                    bar->setSliderPosition(bar->maximum() / 2);
                    bar->triggerAction(QAbstractSlider::SliderMove);
                }));
    std::printf("find (none):   %8.1f ms\n",
                timed(window, [&] { view->find(QStringLiteral("не найдётся"), true); }));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc == 3 && !std::strcmp(argv[1], "--rows")) {
        feed(QString::fromLocal8Bit(argv[2]));
    } else if ((argc == 3 || argc == 4) && !std::strcmp(argv[1], "--open")) {
        open(QString::fromLocal8Bit(argv[2]), argc == 4 ? QString::fromLocal8Bit(argv[3]) : "");
    } else {
        std::fprintf(stderr,
                     "usage: bench_log_memory --rows M[,M...] | --open FILE [CONFIGURATION]\n");
        return 2;
    }
    return 0;
}
