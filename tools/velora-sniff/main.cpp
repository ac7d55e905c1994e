// velora-sniff: the decoder of the desktop program on the command line, for a live port
// or a recorded line. Reading, parsing, capturing and printing run on one thread.
#include "CaptureRing.h"
#include "LineStatistics.h"
#include "LogPrinter.h"

#include <rs485/RS485Connection.h>
#include <velora_capture/CaptureReader.h>
#include <velora_capture/LiveLine.h>
#include <velora_cli/NumberList.h>
#include <velora_decoding/EventFilter.h>
#include <velora_decoding/LogMessage.h>
#include <velora_listener/ParserEventListener.h>
#include <velora_listener/ProtocolParser.h>
#include <velora_protocol/LineTiming.h>
#include <velora_protocol/MessageType.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <getopt.h>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <sys/stat.h>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
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
  -s, --stats                в конце вывести таблицу по адресам (в --tsv — в
                             стандартный поток ошибок) и точность времени
  -h, --help                 показать эту справку и выйти
  -V, --version              показать версию и выйти

Фильтры меняют только вывод: в --write и --record попадает вся линия.

Коды завершения: 0 — успешно (и после Ctrl+C), 1 — порт или файл не открылся или
запись не удалась, 2 — неверные параметры, 3 — потеряна связь с преобразователем,
4 — запись для --replay оборвана или повреждена (всё читаемое расшифровано).
)";

[[noreturn]] void usageError(const std::string& message) {
    std::cerr << "velora-sniff: " << message << "\nПодробнее: velora-sniff --help\n";
    std::exit(kExitUsage);
}

struct Options {
    std::string port;
    std::string replayPath;
    std::string recordPath;
    std::string writePath;
    std::size_t ringFiles = 0;
    std::uint64_t ringBytes = 0;
    bool raw = false;
    bool tsv = false;
    bool stats = false;
    LogPrinter::TimeFormat timeFormat = LogPrinter::TimeFormat::None;
    std::optional<std::set<int>> types;
    std::optional<std::set<int>> addresses;
};

std::set<int> numberList(const char* option, int low, int high) {
    const auto numbers = velora_cli::parseNumberList(optarg, low, high);
    if (!numbers) {
        usageError(std::string("неверный список ") + option + ": " + optarg);
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
    usageError("неизвестный вид времени: " + name + " (absolute, iso, relative, delta)");
}

void parseRing(const std::string& text, Options& options) {
    unsigned long files = 0;
    unsigned long megabytes = 0;
    char end = 0;
    if (std::sscanf(text.c_str(), "%lu:%lu%c", &files, &megabytes, &end) != 2 || files == 0 ||
        megabytes == 0 || files > 100000 || megabytes > 1000000) {
        usageError("неверное значение --ring: " + text + " (нужно N:МБ, например 10:100)");
    }
    options.ringFiles = files;
    options.ringBytes = static_cast<std::uint64_t>(megabytes) * 1'000'000;
}

Options parseOptions(int argc, char** argv) {
    enum { kTsv = 1000, kRing, kTimeFormat };
    static const option longOptions[] = {
        {"replay", required_argument, nullptr, 'r'},
        {"write", required_argument, nullptr, 'W'},
        {"ring", required_argument, nullptr, kRing},
        {"record", required_argument, nullptr, 'w'},
        {"raw", no_argument, nullptr, 'x'},
        {"timestamps", no_argument, nullptr, 'T'},
        {"time-format", required_argument, nullptr, kTimeFormat},
        {"tsv", no_argument, nullptr, kTsv},
        {"types", required_argument, nullptr, 't'},
        {"addresses", required_argument, nullptr, 'a'},
        {"stats", no_argument, nullptr, 's'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {nullptr, 0, nullptr, 0},
    };
    Options options;
    bool replay = false;
    bool timestamps = false;
    opterr = 0;
    for (int c; (c = getopt_long(argc, argv, ":r:W:w:xTt:a:shV", longOptions, nullptr)) != -1;) {
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
        case 'h':
            std::cout << kUsage;
            std::exit(0);
        case 'V':
            std::cout << "velora-sniff " VELORA_VERSION "\n";
            std::exit(0);
        case ':':
            usageError(std::string("параметру нужно значение: ") + argv[optind - 1]);
        default:
            usageError(std::string("неизвестный параметр: ") + argv[optind - 1]);
        }
    }
    const int arguments = argc - optind;
    if (replay ? arguments != 0 : arguments != 1) {
        usageError(replay ? "с --replay порт не указывают" : "нужен порт или --replay ФАЙЛ");
    }
    if (!replay) {
        options.port = argv[optind];
    }
    if (replay && !options.recordPath.empty()) {
        usageError("--record записывает только прослушиваемый порт");
    }
    if (options.ringFiles > 0 && (options.writePath.empty() || options.writePath == "-")) {
        usageError("--ring нужен файл --write");
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

// Every frame of the line: counted, captured whole, printed when the filter shows it.
class Sniffer : public velora_listener::ParserEventListener {
public:
    Sniffer(const EventFilter& filter, LogPrinter* printer, CaptureRing* capture)
        : filter(filter)
        , printer(printer)
        , capture(capture) {}

    void onFrame(const velora_protocol::Frame& frame) override {
        statistics.add(frame);
        bytes += frame.size;
        trashBytes += frame.type == mtTrash ? frame.size : 0;
        if (capture && captureOk && !capture->write(frame)) {
            captureOk = false;
        }
        if (printer && filter.passes(frame.type, frame.address)) {
            printer->print(velora_decoding::decode(frame));
        }
    }

    bool captureFailed() const { return !captureOk; }
    bool mostlyTrash() const { return bytes > 0 && trashBytes * 10 > bytes * 9; }

    LineStatistics statistics;

private:
    const EventFilter& filter;
    LogPrinter* printer;
    CaptureRing* capture;
    std::uint64_t bytes = 0;
    std::uint64_t trashBytes = 0;
    bool captureOk = true;
};

// A raw recording has no times; converted to a capture its bytes follow one another at the
// line's pace, ending when the file was last written.
velora_protocol::Timestamp rawStart(const std::string& path) {
    struct stat info {};
    const auto now = velora_protocol::Timestamp::now();
    if (path == "-" || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return now;
    }
    const std::int64_t end =
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    return velora_protocol::Timestamp::recorded(end - static_cast<std::int64_t>(info.st_size) *
                                                          velora_protocol::characterTimeNs());
}

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
        if (!options.writePath.empty()) {
            reader.setRawStart(rawStart(options.replayPath));
        }
    }
    velora_listener::ProtocolParser parser(&sniffer);
    velora_capture::Piece piece;
    while (!*stopRequested && reader.next(piece)) {
        velora_capture::feedParser(parser, piece);
    }
    // The end of the recording ends the line: trash still collected is reported.
    parser.flush();
    if (reader.failed()) {
        std::cerr << reader.errorText() << '\n';
        return kExitFailure;
    }
    if (sniffer.mostlyTrash()) {
        std::cerr << "velora-sniff: больше 90 % байтов записи не складываются в кадры: "
                     "вероятно, это не линия «Velora» (другая скорость, перепутаны A и B "
                     "или другой протокол)\n";
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
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (!file) {
        std::cerr << "Не удалось открыть файл " << path << ": " << std::strerror(errno) << '\n';
        std::exit(kExitFailure);
    }
    return file;
}

int listen(const Options& options, Sniffer& sniffer, CaptureRing* capture) {
    std::FILE* record = options.recordPath.empty() ? nullptr : openFile(options.recordPath, "wb");
    rs485::RS485Connection connection;
    if (!connection.open(options.port, velora_protocol::kLineBaudRate)) {
        std::cerr << "Ошибка при открытии порта " << options.port << ": "
                  << connection.lastErrorText() << '\n';
        return kExitFailure;
    }
    velora_listener::ProtocolParser parser(&sniffer);
    // A failed capture write is reported when the capture is closed; listening goes on.
    const auto flush = [capture] {
        if (capture) {
            capture->flush();
        }
        return true;
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
    if (options.stats) {
        std::cerr << (connection.lowLatency()
                          ? "Время байтов: порт в режиме низкой задержки, точность около 1 мс.\n"
                          : "Время байтов: драйвер не принял режим низкой задержки (псевдотерминал "
                            "или не FTDI), точность до 16 мс.\n");
    }
    connection.close();
    if (record && std::fclose(record) != 0) {
        std::cerr << "Ошибка записи " << options.recordPath << '\n';
        exitCode = exitCode ? exitCode : kExitFailure;
    }
    return exitCode;
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    stopRequested = &velora_capture::catchStopSignals();

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
        capture.emplace(options.writePath, options.ringFiles, options.ringBytes);
        if (!capture->open()) {
            std::cerr << capture->errorText() << '\n';
            return kExitFailure;
        }
    }
    Sniffer sniffer(filter, printLines ? &printer : nullptr, capture ? &*capture : nullptr);

    int exitCode =
        live ? listen(options, sniffer, capture ? &*capture : nullptr) : replay(options, sniffer);
    if (capture && (!capture->close() || sniffer.captureFailed())) {
        std::cerr << capture->errorText() << '\n';
        exitCode = exitCode ? exitCode : kExitFailure;
    }
    if (options.stats && exitCode != kExitFailure && exitCode != kExitUsage) {
        sniffer.statistics.printTable(options.tsv ? std::cerr : std::cout);
    }
    std::fflush(stdout);
    return exitCode;
}
