// The real main window connected to a pseudo-terminal that a feeder thread fills with
// polls at the rate of a saturated line (19200 baud, 11 bits a byte: 1745 one-byte frames
// a second). Every poll goes the program's whole way: reader thread, parser, event
// listener, queued newLogMessage, log view. Run under a virtual X server:
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/app/bench_log_view
//
// Options: --seconds N (each phase, default 30), --rate N (frames a second, default
// 1745), --screenshot FILE (shows decoded traffic and saves a picture of the window
// instead of measuring).
#include <LogViewWidget.h>
#include <MainWindow.h>
#include <test_support/AppDriver.h>

#include <test_support/PseudoTerminal.h>
#include <velora_traffic/TrafficGenerator.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPixmap>
#include <QTest>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <thread>

namespace {

struct Options {
    double seconds = 30;
    double rate = 1745;
    QString screenshot;
};

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--seconds")) {
            options.seconds = std::atof(argv[i + 1]);
        } else if (!std::strcmp(argv[i], "--rate")) {
            options.rate = std::atof(argv[i + 1]);
        } else if (!std::strcmp(argv[i], "--screenshot")) {
            options.screenshot = QString::fromLocal8Bit(argv[i + 1]);
        }
    }
    return options;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long peakMemoryKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Runs the event loop for `ms` milliseconds.
void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A small installation: the panel polls addresses 1 to 12; some devices answer with their
// state, and the panel switches loops and outputs now and then.
std::vector<std::uint8_t> installationStream() {
    std::mt19937 rng(11);
    const auto& headers = velora_traffic::TrafficGenerator::longAnswerHeaders();
    const auto& statuses = velora_traffic::TrafficGenerator::shortAnswerValues();
    velora_traffic::TrafficGenerator generator;
    for (int cycle = 0; cycle < 12; ++cycle) {
        generator.pollRun(1, 2);
        std::vector<std::uint8_t> data(6);
        for (auto& b : data) {
            b = std::uint8_t(rng() & 0x3f);
        }
        generator.longAnswer(4, headers[rng() % headers.size()], data, true);
        generator.shortAnswer(5, statuses[std::size_t(cycle) % statuses.size()]);
        generator.pollRun(6, 2);
        if (cycle % 3 == 2) {
            generator.command(9, {0x00, 0x10, 0x09, 0x01, 0x00}, true);
        }
        generator.longAnswer(10, headers[rng() % headers.size()], data, true);
        generator.pollRun(11, 2);
    }
    return generator.bytes();
}

// Polls of addresses 1 to 126, over and over: one frame a byte.
std::vector<std::uint8_t> pollStream() {
    velora_traffic::TrafficGenerator generator;
    for (int i = 0; i < 20; ++i) {
        generator.pollRun(1, 126);
    }
    return generator.bytes();
}

class Bench {
public:
    Bench(const Options& options)
        : options(options) {
        window.show();
        app_driver::connectTo(window, QString::fromStdString(pty.slavePath()));
        view = window.findChild<LogViewWidget*>(QStringLiteral("logView"));
        QObject::connect(view->model(), &QAbstractItemModel::rowsInserted,
                         [this](const QModelIndex&, int first, int last) {
                             delivered.fetch_add(last - first + 1, std::memory_order_relaxed);
                         });
    }

    void phase(const char* name, bool fullTable) {
        if (fullTable) {
            for (int i = view->rowCount(); i < 65536; ++i) {
                view->addMessage(1 + i % 7, i % 127, QStringLiteral("Опрос"), QString());
            }
            runFor(500);
        }
        delivered = 0;
        written = 0;
        maxBacklog = 0;

        const double cpuBefore = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        std::atomic<bool> fed{false};
        std::thread feeder([this, &fed] {
            feed();
            fed = true;
        });
        // The event loop runs until the feeder is done: a blocked join would stop delivery.
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (fed) {
                loop.quit();
            }
        });
        poll.start(10);
        loop.exec();
        feeder.join();
        const double cpu = cpuSeconds() - cpuBefore;
        const double seconds = double(wall.nsecsElapsed()) / 1e9;
        for (int i = 0; i < 100 && delivered < written - 1; ++i) {
            runFor(20);
        }

        std::printf("%-12s %6.1f s  %7ld frames  %5.1f %% of a core  backlog max %4ld  "
                    "rows %5d  peak memory %5.1f MB\n",
                    name, seconds, long(written), 100.0 * cpu / seconds, long(maxBacklog),
                    view->rowCount(), double(peakMemoryKb()) / 1024.0);
        std::fflush(stdout);
    }

    void screenshot(const QString& file) {
        // Raw bytes shown: the same keys an engineer types in the table.
        view->setFocus();
        for (const char key : {'D', 'E', 'B', 'U', 'G'}) {
            QTest::keyClick(view, Qt::Key(key));
        }
        runFor(500); // the reader purges the port when it starts
        pty.write(installationStream());
        runFor(1500);
        window.resize(1100, 640);
        runFor(300);
        window.grab().save(file);
        std::printf("saved %s with %d rows\n", qPrintable(file), view->rowCount());
    }

private:
    // Writes the stream at the given rate in ticks of 10 ms, noting the largest number of
    // frames written but not yet in the table.
    void feed() {
        const std::vector<std::uint8_t> stream = pollStream();
        std::size_t position = 0;
        const auto start = std::chrono::steady_clock::now();
        const auto end = start + std::chrono::duration<double>(options.seconds);
        for (auto tick = start; tick < end; tick += std::chrono::milliseconds(10)) {
            std::this_thread::sleep_until(tick);
            const double elapsed =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const long due = long(elapsed * options.rate) - written;
            std::vector<std::uint8_t> chunk;
            for (long i = 0; i < due; ++i) {
                chunk.push_back(stream[position]);
                position = (position + 1) % stream.size();
            }
            maxBacklog = std::max(maxBacklog.load(), written - delivered.load());
            pty.write(chunk);
            written += due;
        }
    }

    Options options;
    pseudo_terminal::PseudoTerminal pty;
    MainWindow window;
    LogViewWidget* view = nullptr;
    std::atomic<long> delivered{0};
    std::atomic<long> written{0};
    std::atomic<long> maxBacklog{0};
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const Options options = parse(argc, argv);
    Bench bench(options);
    if (!options.screenshot.isEmpty()) {
        bench.screenshot(options.screenshot);
        return 0;
    }
    std::printf("log view under %.0f frames a second, %s platform\n", options.rate,
                qPrintable(QGuiApplication::platformName()));
    bench.phase("empty table", false);
    bench.phase("full table", true);
    return 0;
}
