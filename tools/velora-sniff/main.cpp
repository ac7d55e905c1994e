// velora-sniff: the decoder of the desktop program on the command line, for a live port
// or a recorded line.
#include "LineStatistics.h"
#include "LogPrinter.h"

#include <velora_cli/NumberList.h>
#include <velora_decoding/EventListener.h>
#include <velora_listener/ProtocolParser.h>
#include <velora_listener/VeloraListener.h>
#include <velora_protocol/MessageType.h>

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <getopt.h>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitConverterLost = 3;

const char* const kUsage = R"(Использование: velora-sniff [ПАРАМЕТРЫ] ПОРТ
             velora-sniff [ПАРАМЕТРЫ] --replay ФАЙЛ
Прослушивает линию «Velora» через преобразователь USB-RS485 (ПОРТ: ttyUSB0,
/dev/ttyUSB0) с теми же настройками, что и программа «Отладчик «Velora»», и выводит
по строке на каждое сообщение журнала, пока его не прервут (Ctrl+C).

  -r, --replay ФАЙЛ          расшифровать записанные байты («-» — стандартный ввод)
  -w, --record ФАЙЛ          при прослушивании порта записать все принятые байты
                             без изменений (запись читает --replay)
  -x, --raw                  показывать байты кадров в шестнадцатеричном виде
  -T, --timestamps           начинать строки с местного времени (до миллисекунд),
                             только при прослушивании порта
      --tsv                  для программ: тип, адрес (0 для мусора), текст и байты
                             через табуляцию, больше ничего в стандартный вывод
  -t, --types СПИСОК         показывать только эти типы, например 1,3-5: 1 опрос,
                             2 ответ без данных, 3 ответ с данными, 4 его
                             подтверждение, 5 команда, 6 её подтверждение, 7 мусор
  -a, --addresses СПИСОК     показывать только эти адреса (1..127); мусорные байты
                             адреса не имеют и показываются всегда
  -s, --stats                в конце вывести таблицу по адресам (в --tsv — в
                             стандартный поток ошибок)
  -h, --help                 показать эту справку и выйти
  -V, --version              показать версию и выйти

Коды завершения: 0 — успешно, 1 — порт или файл не открылся, 2 — неверные
параметры, 3 — потеряна связь с преобразователем.
)";

[[noreturn]] void usageError(const std::string& message) {
    std::cerr << "velora-sniff: " << message << "\nПодробнее: velora-sniff --help\n";
    std::exit(kExitUsage);
}

struct Options {
    std::string port;
    std::string replayPath;
    std::string recordPath;
    bool raw = false;
    bool timestamps = false;
    bool tsv = false;
    bool stats = false;
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

Options parseOptions(int argc, char** argv) {
    enum { kTsv = 1000 };
    static const option longOptions[] = {
        {"replay", required_argument, nullptr, 'r'},
        {"record", required_argument, nullptr, 'w'},
        {"raw", no_argument, nullptr, 'x'},
        {"timestamps", no_argument, nullptr, 'T'},
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
    opterr = 0;
    for (int c; (c = getopt_long(argc, argv, ":r:w:xTt:a:shV", longOptions, nullptr)) != -1;) {
        switch (c) {
        case 'r':
            options.replayPath = optarg;
            replay = true;
            break;
        case 'w':
            options.recordPath = optarg;
            break;
        case 'x':
            options.raw = true;
            break;
        case 'T':
            options.timestamps = true;
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
    if (options.timestamps && (replay || options.tsv)) {
        usageError("--timestamps только для строк при прослушивании порта, не с --replay и --tsv");
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

std::FILE* openFile(const std::string& path, const char* mode) {
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (!file) {
        std::cerr << "Не удалось открыть файл " << path << ": " << std::strerror(errno) << '\n';
        std::exit(kExitFailure);
    }
    return file;
}

int replay(const Options& options, velora_listener::ParserEventListener* listener) {
    std::FILE* in = options.replayPath == "-" ? stdin : openFile(options.replayPath, "rb");
    velora_listener::ProtocolParser parser(listener);
    unsigned char buffer[1 << 16];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
        for (std::size_t i = 0; i < n; ++i) {
            parser.feed(buffer[i]);
        }
    }
    const bool failed = std::ferror(in) != 0;
    // The end of the recording ends the line: trash still collected is reported.
    parser.flush();
    if (failed) {
        std::cerr << "Ошибка чтения " << options.replayPath << '\n';
        return kExitFailure;
    }
    return 0;
}

// Counts every frame, then hands it on.
class CountingListener : public velora_listener::ParserEventListener {
public:
    CountingListener(LineStatistics& statistics, velora_listener::ParserEventListener& next)
        : statistics(statistics)
        , next(next) {}
    void onFrame(const velora_protocol::Frame& frame) override {
        statistics.add(frame);
        next.onFrame(frame);
    }
    void onConnectionLost() override { next.onConnectionLost(); }

private:
    LineStatistics& statistics;
    velora_listener::ParserEventListener& next;
};

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    (void)!::write(signalPipe[1], &byte, 1);
}

int listen(const Options& options, QCoreApplication& app, EventListener& events,
           velora_listener::ParserEventListener* listener, LogPrinter& printer) {
    std::FILE* record = nullptr;
    if (!options.recordPath.empty()) {
        record = openFile(options.recordPath, "wb");
    }
    velora_listener::VeloraListener line(listener);
    if (!line.open(options.port)) {
        std::cerr << "Ошибка при открытии порта " << options.port << ": " << line.lastErrorText()
                  << '\n';
        return kExitFailure;
    }
    if (record) {
        line.setByteTap([record](std::uint8_t byte) { std::fputc(byte, record); });
    }

    // Ctrl+C and SIGTERM reach the event loop through a socket pair.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) {
        std::perror("velora-sniff: socketpair");
        return kExitFailure;
    }
    QSocketNotifier interrupt(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&interrupt, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);

    int exitCode = 0;
    QObject::connect(&events, &EventListener::newLogMessage, &printer, &LogPrinter::print,
                     Qt::QueuedConnection);
    QObject::connect(
        &events, &EventListener::disconnectDetected, &app,
        [&] {
            exitCode = kExitConverterLost;
            app.quit();
        },
        Qt::QueuedConnection);
    line.start();
    app.exec();
    // Every message read before the end is printed.
    line.stop();
    QCoreApplication::sendPostedEvents();
    line.close();
    if (record && std::fclose(record) != 0) {
        std::cerr << "Ошибка записи " << options.recordPath << '\n';
        exitCode = exitCode ? exitCode : kExitFailure;
    }
    if (exitCode == kExitConverterLost) {
        std::cerr << "Нет связи с преобразователем USB-RS485.\n";
    }
    return exitCode;
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    QCoreApplication app(argc, argv);

    EventListener events;
    applyFilter(options, events.filter());
    if (options.raw || options.tsv) {
        events.enableSendRawData();
    }
    const bool live = options.replayPath.empty();
    // Live lines are printed as they come; a replay is printed in blocks.
    if (live) {
        std::setvbuf(stdout, nullptr, _IOLBF, 0);
    }
    LogPrinter printer(options.tsv ? LogPrinter::Format::Tsv : LogPrinter::Format::Text,
                       options.raw, options.timestamps, stdout);
    LineStatistics statistics;
    CountingListener counting(statistics, events);
    velora_listener::ParserEventListener* listener =
        options.stats ? static_cast<velora_listener::ParserEventListener*>(&counting) : &events;

    int exitCode = 0;
    if (live) {
        exitCode = listen(options, app, events, listener, printer);
    } else {
        QObject::connect(&events, &EventListener::newLogMessage, &printer, &LogPrinter::print,
                         Qt::DirectConnection);
        exitCode = replay(options, listener);
    }
    if (options.stats && exitCode != kExitFailure) {
        statistics.printTable(options.tsv ? std::cerr : std::cout);
    }
    std::fflush(stdout);
    return exitCode;
}
