// velora-sniff: the decoder of the desktop program on the command line, for a live port
// or a recorded line. Reading, parsing, capturing and printing run on one thread.
#include "CaptureRing.h"
#include "DeviceTable.h"
#include "LogPrinter.h"

#include <rs485/RS485Connection.h>
#include <rs485/SystemReason.h>
#include <velora_capture/CaptureReader.h>
#include <velora_capture/LiveLine.h>
#include <velora_capture/Os.h>
#include <velora_cli/NumberList.h>
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

#include <QGuiApplication>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <getopt.h>
#include <iostream>
#include <optional>
#include <set>
#include <string>

namespace {

constexpr int kExitFailure = 1;
using velora_cli::kExitUsage;
constexpr int kExitConverterLost = 3;
constexpr int kExitDamagedInput = 4;

const char* const kUsage = R"(Использование: velora-sniff [ПАРАМЕТРЫ] ПОРТ
             velora-sniff [ПАРАМЕТРЫ] --replay ФАЙЛ
Прослушивает линию «Velora» через преобразователь USB-RS485 (ПОРТ: ttyUSB0,
/dev/ttyUSB0) с теми же настройками, что и программа «Отладчик «Velora»», и выводит
по строке на каждое сообщение журнала, пока его не прервут (Ctrl+C).

  -r, --replay ФАЙЛ          расшифровать запись: pcap или pcapng (время кадров из
                             записи) или сырые байты (--record); «-» — стандартный ввод
  -W, --write ФАЙЛ           записать все кадры линии в файл pcap (при прослушивании
                             или из --replay, так сырая запись становится pcap);
                             «-» — в стандартный вывод, например для tshark -r -
      --ring N:МБ            с --write: хранить N последних файлов не больше МБ
                             мегабайт каждый; в именах номер и время начала
  -w, --record ФАЙЛ          при прослушивании порта записать все принятые байты
                             без изменений (сырая запись)
  -d, --duration СЕКУНДЫ     закончить прослушивание через столько секунд, как по
                             Ctrl+C
  -x, --raw                  показывать байты кадров в шестнадцатеричном виде
  -T, --timestamps           начинать строки со времени кадра (в --tsv — пятое поле)
      --time-format ВИД      absolute — местное время до миллисекунд (по умолчанию),
                             iso — ISO 8601 с микросекундами и смещением, relative —
                             секунды от первого кадра, delta — от предыдущего
      --tsv                  для программ: тип, адрес (0 для мусора), текст и байты
                             через табуляцию, больше ничего в стандартный вывод
  -t, --types СПИСОК         показывать только эти типы, например 1,3-5: 1 опрос,
                             2 ответ без данных, 3 ответ с данными, 4 его
                             подтверждение, 5 команда, 6 её подтверждение, 7 мусор
  -a, --addresses СПИСОК     показывать только эти адреса (1..127); мусорные байты
                             адреса не имеют и показываются всегда
  -s, --stats                в конце вывести таблицу приборов: счётчики, пропуски
                             ответов, присутствие (в --tsv — таблицей для программ в
                             стандартный поток ошибок) и точность времени
  -S, --stats-only           вывести только таблицу приборов (в --tsv — в
                             стандартный вывод), без строк журнала
      --alerts               строка со временем в стандартный поток ошибок, когда
                             прибор замолкает, пропадает, снова отвечает, входит в
                             тревогу или неисправность или выходит из них
      --config ФАЙЛ          сравнить приборы линии с конфигурацией пульта
      --report ФАЙЛ.pdf      в конце записать отчёт о линии в PDF
      --report-changes       добавить в отчёт приложение: все изменения состояния
  -h, --help                 показать эту справку и выйти
  -V, --version              показать версию и выйти

Фильтры меняют только вывод: в --write и --record попадает вся линия.

Коды завершения: 0 — успешно (и после Ctrl+C), 1 — порт или файл не открылся или
запись не удалась, 2 — неверные параметры, 3 — потеряна связь с преобразователем,
4 — запись для --replay оборвана или повреждена (всё читаемое расшифровано).
)";

const velora_cli::Program kProgram{"velora-sniff", kUsage, VELORA_VERSION};

struct Options {
    std::string port;
    std::string replayPath;
    std::string recordPath;
    std::string writePath;
    std::size_t ringFiles = 0;
    std::uint64_t ringBytes = 0;
    long long durationSeconds = 0;
    bool raw = false;
    bool tsv = false;
    bool stats = false;
    bool statsOnly = false;
    bool alerts = false;
    std::string configPath;
    std::string reportPath;
    bool reportChanges = false;
    LogPrinter::TimeFormat timeFormat = LogPrinter::TimeFormat::None;
    std::optional<std::set<int>> types;
    std::optional<std::set<int>> addresses;
};

std::set<int> numberList(const char* option, int low, int high) {
    const auto numbers = velora_cli::parseNumberList(optarg, low, high);
    if (!numbers) {
        kProgram.usageError(std::string("неверный список ") + option + ": " + optarg);
    }
    return *numbers;
}

LogPrinter::TimeFormat timeFormat(const std::string& name) {
    using TF = LogPrinter::TimeFormat;
    for (const auto& [text, format] : {std::pair{"absolute", TF::Absolute},
                                       {"iso", TF::Iso},
                                       {"relative", TF::Relative},
                                       {"delta", TF::Delta}}) {
        if (name == text) {
            return format;
        }
    }
    kProgram.usageError("неизвестный вид времени: " + name + " (absolute, iso, relative, delta)");
}

void parseRing(const std::string& text, Options& options) {
    unsigned long files = 0;
    unsigned long megabytes = 0;
    char end = 0;
    if (std::sscanf(text.c_str(), "%lu:%lu%c", &files, &megabytes, &end) != 2 || files == 0 ||
        megabytes == 0 || files > 100000 || megabytes > 1000000) {
        kProgram.usageError("неверное значение --ring: " + text + " (нужно N:МБ, например 10:100)");
    }
    options.ringFiles = files;
    options.ringBytes = static_cast<std::uint64_t>(megabytes) * 1'000'000;
}

long long durationSeconds(const std::string& text) {
    const auto seconds = velora_cli::parseNumber(text, 1, 365LL * 24 * 3600);
    if (!seconds) {
        kProgram.usageError("неверное значение --duration: " + text + " (нужно число секунд)");
    }
    return *seconds;
}

Options parseOptions(int argc, char** argv) {
    enum { kTsv = 1000, kRing, kTimeFormat, kAlerts, kConfig, kReport, kReportChanges };
    static const option longOptions[] = {
        {"replay", required_argument, nullptr, 'r'},
        {"write", required_argument, nullptr, 'W'},
        {"ring", required_argument, nullptr, kRing},
        {"record", required_argument, nullptr, 'w'},
        {"duration", required_argument, nullptr, 'd'},
        {"raw", no_argument, nullptr, 'x'},
        {"timestamps", no_argument, nullptr, 'T'},
        {"time-format", required_argument, nullptr, kTimeFormat},
        {"tsv", no_argument, nullptr, kTsv},
        {"types", required_argument, nullptr, 't'},
        {"addresses", required_argument, nullptr, 'a'},
        {"stats", no_argument, nullptr, 's'},
        {"stats-only", no_argument, nullptr, 'S'},
        {"alerts", no_argument, nullptr, kAlerts},
        {"config", required_argument, nullptr, kConfig},
        {"report", required_argument, nullptr, kReport},
        {"report-changes", no_argument, nullptr, kReportChanges},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {nullptr, 0, nullptr, 0},
    };
    Options options;
    bool replay = false;
    bool timestamps = false;
    opterr = 0;
    for (int c; (c = getopt_long(argc, argv, ":r:W:w:d:xTt:a:sShV", longOptions, nullptr)) != -1;) {
        switch (c) {
        case 'r':
            options.replayPath = optarg;
            replay = true;
            break;
        case 'W':
            options.writePath = optarg;
            break;
        case kRing:
            parseRing(optarg, options);
            break;
        case 'w':
            options.recordPath = optarg;
            break;
        case 'd':
            options.durationSeconds = durationSeconds(optarg);
            break;
        case 'x':
            options.raw = true;
            break;
        case 'T':
            timestamps = true;
            break;
        case kTimeFormat:
            options.timeFormat = timeFormat(optarg);
            break;
        case kTsv:
            options.tsv = true;
            break;
        case 't':
            options.types = numberList("--types", mtQuery, mtTrash);
            break;
        case 'a':
            options.addresses = numberList("--addresses", 1, 127);
            break;
        case 's':
            options.stats = true;
            break;
        case 'S':
            options.stats = true;
            options.statsOnly = true;
            break;
        case kAlerts:
            options.alerts = true;
            break;
        case kConfig:
            options.configPath = optarg;
            break;
        case kReport:
            options.reportPath = optarg;
            break;
        case kReportChanges:
            options.reportChanges = true;
            break;
        default:
            kProgram.finalOption(c, argv);
        }
    }
    const int arguments = argc - optind;
    if (replay ? arguments != 0 : arguments != 1) {
        kProgram.usageError(replay ? "с --replay порт не указывают"
                                   : "нужен порт или --replay ФАЙЛ");
    }
    if (!replay) {
        options.port = argv[optind];
    }
    if (replay && options.durationSeconds > 0) {
        kProgram.usageError("--duration ограничивает только прослушивание порта");
    }
    if (replay && !options.recordPath.empty()) {
        kProgram.usageError("--record записывает только прослушиваемый порт");
    }
    if (options.ringFiles > 0 && (options.writePath.empty() || options.writePath == "-")) {
        kProgram.usageError("--ring нужен файл --write");
    }
    if (timestamps && options.timeFormat == LogPrinter::TimeFormat::None) {
        options.timeFormat = LogPrinter::TimeFormat::Absolute;
    }
    return options;
}

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
        if (capture && captureOk && !capture->write(frame)) {
            captureOk = false;
        }
        if (printer && filter.passes(frame.type, frame.address)) {
            printer->print(velora_decoding::decode(frame));
        }
    }

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

private:
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
        // Alerts and the report need times: the bytes get them at the line's pace.
        if (!options.writePath.empty() || options.alerts || !options.reportPath.empty()) {
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
    parser.flush();
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
    const auto flush = [&sniffer, &options, end] {
        if (options.durationSeconds > 0 && std::chrono::steady_clock::now() >= end) {
            velora_capture::requestStop();
        }
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

// Standard error carries the alerts: the configuration library's trace and Qt's notes
// are kept off it.
void quietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::cerr << "velora-sniff: " << message.toStdString() << '\n';
    }
}

// Prints a change of a device as it is found, with the time of the frame that showed it.
void printAlert(const velora_decoding::DeviceChange& change) {
    std::cerr << velora_report::timeText(change.time, true).toStdString() << ' '
              << velora_report::changeText(change).toStdString() << std::endl;
}

// The PDF writer lays the text out with the fonts of a GUI application, which needs no
// display here.
bool writeReport(const std::string& path, const velora_decoding::DeviceTracker& tracker,
                 const velora_report::ConfigComparison* comparison, bool allChanges) {
    static char name[] = "velora-sniff";
    static char platform[] = "-platform";
    static char* arguments[] = {name, platform,
                                const_cast<char*>(velora_cli::os::textLayoutPlatform()), nullptr};
    static int count = 3;
    QGuiApplication application(count, arguments);
    QString error;
    if (!velora_report::writeLineReport(QString::fromStdString(path), tracker, comparison, &error,
                                        allChanges)) {
        std::cerr << "velora-sniff: " << error.toStdString() << '\n';
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    velora_cli::os::prepareStandardStreams();
    argv = velora_cli::os::utf8Arguments(argc, argv);
    const Options options = parseOptions(argc, argv);
    stopRequested = &velora_capture::catchStopSignals();
    qInstallMessageHandler(quietQt);

    EventFilter filter;
    applyFilter(options, filter);
    const bool live = options.replayPath.empty();
    // Live lines are printed as they come; a replay is printed in blocks.
    if (live) {
        std::setvbuf(stdout, nullptr, _IOLBF, 0);
    }
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
    }

    int exitCode = live ? listen(options, sniffer) : replay(options, sniffer);
    if (capture && (!capture->close() || sniffer.captureFailed())) {
        std::cerr << capture->errorText() << '\n';
        exitCode = exitCode ? exitCode : kExitFailure;
    }
    const bool finished = exitCode != kExitFailure && exitCode != kExitUsage;
    if (options.stats && finished) {
        std::fflush(stdout);
        std::ostream& out = options.tsv && !options.statsOnly ? std::cerr : std::cout;
        printDeviceTable(out, sniffer.tracker, configured, options.tsv);
        if (!options.tsv) {
            out << sniffer.timing << '\n';
        }
    }
    if (!options.reportPath.empty() && finished &&
        !writeReport(options.reportPath, sniffer.tracker, configured, options.reportChanges)) {
        exitCode = exitCode ? exitCode : kExitFailure;
    }
    std::fflush(stdout);
    return exitCode;
}
