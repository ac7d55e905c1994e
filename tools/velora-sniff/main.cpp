// velora-sniff: the decoder of the desktop program on the command line, for a live port
// or a recorded line. Reading, parsing, capturing and printing run on one thread.
#include "CaptureRing.h"
#include "DeviceTable.h"
#include "DiagnosisTable.h"
#include "LogPrinter.h"
#include "Options.h"
#include "WalkTable.h"

#include <rs485/RS485Connection.h>
#include <rs485/SystemReason.h>
#include <velora_capture/CaptureReader.h>
#include <velora_capture/LiveLine.h>
#include <velora_capture/Os.h>
#include <velora_cli/Os.h>
#include <velora_cli/Program.h>
#include <velora_decoding/DeviceTracker.h>
#include <velora_decoding/LogMessage.h>
#include <velora_decoding/RecordingCheck.h>
#include <velora_events/EventFilter.h>
#include <velora_listener/ParserEventListener.h>
#include <velora_listener/ProtocolParser.h>
#include <velora_protocol/LineSpeed.h>
#include <velora_protocol/MessageType.h>
#include <velora_report/DeviceTexts.h>
#include <velora_report/LineReport.h>
#include <velora_report/LineTexts.h>

#include <QGuiApplication>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

namespace {

constexpr int kExitFailure = 1;
using velora_cli::kExitUsage;
constexpr int kExitConverterLost = 3;
constexpr int kExitDamagedInput = 4;

// The same rules as the filter panel: whole types by their bit, addresses one by one.
void applyFilter(const Options& options, EventFilter& filter) {
    if (options.types) {
        filter.setTypes(EventFilter::kAllTypes, false);
        for (const int type : *options.types) {
            filter.setTypes(messageTypeBit(type), true);
        }
    }
    if (options.addresses) {
        filter.setAllAddresses(false);
        for (const int address : *options.addresses) {
            filter.setAddress(address, true);
        }
    }
}

// Set by Ctrl+C and SIGTERM.
const volatile std::sig_atomic_t* stopRequested = nullptr;

// Every frame of the line: tracked, captured whole, printed when the filter shows it.
class Sniffer : public velora_listener::ParserEventListener {
public:
    Sniffer(const EventFilter& filter, LogPrinter* printer, CaptureRing* capture)
        : filter(filter)
        , printer(printer)
        , capture(capture) {}

    void onFrame(const velora_protocol::Frame& frame) override {
        tracker.feed(frame);
        check.add(frame);
        keep(frame);
        if (printer && filter.passes(frame.type, frame.address)) {
            printer->print(velora_decoding::decode(frame));
        }
    }

    void onErrorCounts(const rs485::ErrorCounts& counts) override {
        converter = counts;
        if (counts.kept) {
            tracker.converterErrors(counts.framing);
        }
    }
    // Only the capture keeps them: a replay of it ends in the same bytes.
    void onUnfinished(const velora_protocol::Frame& bytes) override { keep(bytes); }

    bool captureFailed() const { return !captureOk; }
    // A flush that fails (a full disk, a closed pipe) ends the capture for good.
    void flushCapture() {
        if (capture && captureOk && !capture->flush()) {
            captureOk = false;
        }
    }
    velora_decoding::DeviceTracker tracker;
    velora_decoding::RecordingCheck check;
    // Where the frames' times come from and how fine they are, for the table.
    std::string timing;
    // The converter's last error counts; none for a recording.
    std::optional<rs485::ErrorCounts> converter;

private:
    void keep(const velora_protocol::Frame& frame) {
        if (capture && captureOk && !capture->write(frame)) {
            captureOk = false;
        }
    }

    const EventFilter& filter;
    LogPrinter* printer;
    CaptureRing* capture;
    bool captureOk = true;
};

int replay(const Options& options, Sniffer& sniffer) {
    velora_capture::CaptureReader reader;
    if (!reader.open(options.replayPath)) {
        std::cerr << reader.errorText() << '\n';
        return kExitFailure;
    }
    if (!reader.hasTimes()) {
        if (options.timeFormat != LogPrinter::TimeFormat::None) {
            std::cerr << "velora-sniff: в сырой записи " << options.replayPath
                      << " нет времени кадров; --timestamps и --time-format — только для "
                         "записей pcap\n";
            return kExitUsage;
        }
        // Alerts, diagnoses, the walk test and the report need times: the bytes get them at
        // the line's pace.
        if (!options.writePath.empty() || options.alerts || options.diagnose || options.walkTest ||
            !options.reportPath.empty()) {
            reader.setRawTimesFromFile();
        }
    }
    sniffer.timing = reader.hasTimes() ? "Время кадров: из записи, с точностью записи."
                                       : "Время кадров: сырая запись его не хранит.";
    velora_listener::ProtocolParser parser(&sniffer);
    velora_capture::Piece piece;
    while (!*stopRequested && !sniffer.captureFailed() && reader.next(piece)) {
        velora_capture::feedParser(parser, piece);
    }
    // The end of the recording ends the line: trash still collected is reported.
    parser.endOfStream();
    if (reader.failed()) {
        std::cerr << reader.errorText() << '\n';
        return kExitFailure;
    }
    if (const std::string doubt = sniffer.check.doubt(); !reader.hasTimes() && !doubt.empty()) {
        std::cerr << "velora-sniff: " << options.replayPath << ": " << doubt << '\n';
    }
    if (reader.damaged()) {
        std::cerr << "velora-sniff: " << options.replayPath << " повреждена: " << reader.problem();
        if (reader.problemCount() > 1) {
            std::cerr << " (и ещё " << reader.problemCount() - 1 << ')';
        }
        std::cerr << '\n';
        return kExitDamagedInput;
    }
    return 0;
}

std::FILE* openFile(const std::string& path, const char* mode) {
    std::FILE* file = velora_capture::os::openFile(path, mode);
    if (!file) {
        std::cerr << "Не удалось открыть файл " << path << ": " << rs485::lastSystemReason()
                  << '\n';
        std::exit(kExitFailure);
    }
    return file;
}

int listen(const Options& options, Sniffer& sniffer) {
    std::FILE* record = options.recordPath.empty() ? nullptr : openFile(options.recordPath, "wb");
    rs485::RS485Connection connection;
    if (!connection.open(options.port, velora_protocol::kBaudRate)) {
        std::cerr << "Ошибка при открытии порта " << options.port << ": "
                  << connection.lastErrorText() << '\n';
        return kExitFailure;
    }
    velora_listener::ProtocolParser parser(&sniffer);
    // A capture that can no longer be written (a full disk, a closed pipe) ends listening,
    // and so does the end of --duration.
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::seconds(options.durationSeconds);
    // Silence shows only on the clock: the tracker hears it once a second.
    auto nextTick = std::chrono::steady_clock::now();
    const auto flush = [&sniffer, &options, end, &nextTick] {
        const auto now = std::chrono::steady_clock::now();
        if (options.durationSeconds > 0 && now >= end) {
            velora_capture::requestStop();
        }
        if (now >= nextTick) {
            sniffer.tracker.tick(velora_protocol::Timestamp::now());
            nextTick = now + std::chrono::seconds(1);
        }
        // Live lines leave with the reader's flushes, not a write each.
        std::fflush(stdout);
        sniffer.flushCapture();
        return !sniffer.captureFailed();
    };
    const auto recordByte = [record](std::uint8_t byte) {
        if (record) {
            std::fputc(byte, record);
        }
    };
    int exitCode = 0;
    if (velora_capture::readLiveLine(connection, parser, *stopRequested, flush, recordByte) ==
        velora_capture::LiveEnd::ConverterLost) {
        std::cerr << "Нет связи с преобразователем USB-RS485.\n";
        exitCode = kExitConverterLost;
    }
    // The counts at the end, not a second old; a lost converter tells none.
    if (const rs485::ErrorCounts counts = connection.errorCounts(); counts.kept) {
        sniffer.onErrorCounts(counts);
    }
    sniffer.timing = connection.lowLatency()
                         ? "Время байтов: порт в режиме низкой задержки, точность около 1 мс."
                         : "Время байтов: драйвер не принял режим низкой задержки "
                           "(псевдотерминал или не FTDI), точность до 16 мс.";
    connection.close();
    if (record && std::fclose(record) != 0) {
        std::cerr << "Ошибка записи " << options.recordPath << '\n';
        exitCode = exitCode ? exitCode : kExitFailure;
    }
    return exitCode;
}

// The lines under the device table: the load where the frames have times, the converter's
// counts of a live line, the timing.
void printLineFigures(std::ostream& out, const Sniffer& sniffer) {
    const velora_decoding::LineTotals& line = sniffer.tracker.line();
    if (line.last.known()) {
        out << "Загрузка линии: " << velora_report::lineLoadText(line).toStdString() << '\n';
    }
    if (sniffer.converter) {
        const QString counts = velora_report::errorCountsText(*sniffer.converter);
        out << counts.left(1).toUpper().toStdString() << counts.mid(1).toStdString() << ".\n";
    }
    out << sniffer.timing << '\n';
}

// Standard error carries the alerts: the configuration library's trace and Qt's notes
// are kept off it.
void quietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::cerr << "velora-sniff: " << message.toStdString() << '\n';
    }
}

// Prints a change of a device as it is found, with the time of the frame that showed it.
void printAlert(const velora_decoding::DeviceChange& change) {
    // After the lines of the frames that led to it.
    std::fflush(stdout);
    std::cerr << velora_report::timeText(change.time, true).toStdString() << ' '
              << velora_report::changeText(change).toStdString() << std::endl;
}

// Prints a diagnosis when it is first found, with the time of its newest evidence.
void printDiagnosisAlert(const velora_decoding::Diagnosis& diagnosis) {
    std::fflush(stdout);
    const velora_protocol::Timestamp time =
        diagnosis.last.known() ? diagnosis.last : velora_protocol::Timestamp::now();
    std::cerr << velora_report::timeText(time, true).toStdString() << ' '
              << velora_decoding::diagnosisTitle(diagnosis.kind) << ": "
              << velora_decoding::diagnosisText(diagnosis) << std::endl;
}

// The PDF writer lays the text out with the fonts of a GUI application, which needs no
// display here.
bool writeReport(const std::string& path, const Sniffer& sniffer,
                 const velora_report::ConfigComparison* comparison, bool allChanges,
                 const velora_report::HandOver* handOver) {
    static char name[] = "velora-sniff";
    static char platform[] = "-platform";
    static char* arguments[] = {name, platform,
                                const_cast<char*>(velora_cli::os::textLayoutPlatform()), nullptr};
    static int count = 3;
    QGuiApplication application(count, arguments);
    QString error;
    if (!velora_report::writeLineReport(
            QString::fromStdString(path), sniffer.tracker, comparison, &error, allChanges,
            sniffer.converter ? &*sniffer.converter : nullptr, handOver)) {
        std::cerr << "velora-sniff: " << error.toStdString() << '\n';
        return false;
    }
    return true;
}

// The tables asked for at the end, one after another, apart by an empty line: the devices
// with the line's figures, the diagnoses, the walk test. Where the log's lines take standard
// output, on standard error.
void printTables(const Options& options, const Sniffer& sniffer,
                 const velora_report::ConfigComparison& comparison,
                 const velora_decoding::WalkTest& walk) {
    std::ostream& tables = options.tsv && !options.statsOnly ? std::cerr : std::cout;
    std::fflush(stdout);
    const char* apart = "";
    if (options.stats) {
        printDeviceTable(tables, sniffer.tracker, comparison.loaded() ? &comparison : nullptr,
                         options.tsv);
        if (!options.tsv) {
            printLineFigures(tables, sniffer);
        }
        apart = "\n";
    }
    if (options.diagnose) {
        tables << apart;
        printDiagnosisTable(tables, sniffer.tracker, options.tsv);
        apart = "\n";
    }
    if (options.walkTest) {
        tables << apart;
        printWalkTable(tables, walk, comparison, options.tsv);
    }
}

} // namespace

int main(int argc, char** argv) {
    velora_cli::os::prepareStandardStreams();
    argv = velora_cli::os::utf8Arguments(argc, argv);
    const Options options = Options::read(argc, argv);
    stopRequested = &velora_capture::catchStopSignals();
    qInstallMessageHandler(quietQt);

    EventFilter filter;
    applyFilter(options, filter);
    const bool live = options.replayPath.empty();
    // A capture on standard output leaves no room for the lines.
    const bool printLines = options.writePath != "-";
    LogPrinter printer(options.tsv ? LogPrinter::Format::Tsv : LogPrinter::Format::Text,
                       options.raw, options.timeFormat, stdout);
    std::optional<CaptureRing> capture;
    if (!options.writePath.empty()) {
        // A reader of the capture that goes away (tshark ended, Wireshark stopped) makes the
        // next write fail, which ends listening; it must not kill the process.
        velora_cli::os::ignoreBrokenPipe();
        capture.emplace(options.writePath, options.ringFiles, options.ringBytes);
        if (!capture->open()) {
            std::cerr << capture->errorText() << '\n';
            return kExitFailure;
        }
    }
    velora_report::ConfigComparison comparison;
    if (!options.configPath.empty() &&
        !comparison.load(QString::fromStdString(options.configPath))) {
        std::cerr << "velora-sniff: " << comparison.error().toStdString() << '\n';
        return kExitFailure;
    }
    const velora_report::ConfigComparison* configured = comparison.loaded() ? &comparison : nullptr;
    // A report that cannot be written is found out before the line, not after it.
    if (!options.reportPath.empty()) {
        std::fclose(openFile(options.reportPath, "ab"));
    }
    Sniffer sniffer(filter, printLines && !options.statsOnly ? &printer : nullptr,
                    capture ? &*capture : nullptr);
    if (options.alerts) {
        sniffer.tracker.setChangeHandler(printAlert);
        sniffer.tracker.setDiagnosisHandler(printDiagnosisAlert);
    }
    velora_decoding::WalkTest walk(comparison.addresses());
    std::optional<velora_report::HandOver> handOver;
    if (options.walkTest) {
        sniffer.tracker.setPointHandler(
            [&walk](const velora_decoding::PointChange& change) { walk.seen(change); });
        handOver.emplace();
        handOver->walk = &walk;
        handOver->limits.emplace();
    }

    int exitCode = live ? listen(options, sniffer) : replay(options, sniffer);
    if (capture && (!capture->close() || sniffer.captureFailed())) {
        std::cerr << capture->errorText() << '\n';
        exitCode = exitCode ? exitCode : kExitFailure;
    }
    const bool finished = exitCode != kExitFailure && exitCode != kExitUsage;
    if (finished) {
        sniffer.tracker.finish();
    }
    if (finished) {
        printTables(options, sniffer, comparison, walk);
    }
    if (!options.reportPath.empty() && finished &&
        !writeReport(options.reportPath, sniffer, configured, options.reportChanges,
                     handOver ? &*handOver : nullptr)) {
        exitCode = exitCode ? exitCode : kExitFailure;
    }
    std::fflush(stdout);
    return exitCode;
}
