// velora-sim: the byte stream of a Velora line, a panel polling its devices.
#include "FaultyLine.h"
#include "LineSimulator.h"
#include "PseudoTerminal.h"
#include "SerialOutput.h"

#include <velora_capture/CaptureReader.h>
#include <velora_capture/Os.h>
#include <velora_cli/NumberList.h>
#include <velora_cli/Os.h>
#include <velora_cli/Program.h>
#include <velora_decoding/PointChange.h>
#include <velora_protocol/Addresses.h>
#include <velora_traffic/TrafficGenerator.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using velora_cli::kExitUsage;
constexpr int kExitFailure = 1;

std::atomic<bool> stopRequested{false};

void requestStop(int) {
    stopRequested = true;
}

const char* const kUsage = R"(Использование: velora-sim [ПАРАМЕТРЫ] [ПОРТ]
Выдаёт поток байтов линии «Velora»: пульт по очереди опрашивает адреса, приборы
отвечают одним байтом или ответом с данными, пульт подтверждает ответы и посылает
команды, приборы подтверждают команды.

Сценарий:
  -d, --devices СПИСОК       адреса приборов, например 1-3,5 (по умолчанию 1-3,5,8-10,16)
  -l, --last-address N       пульт опрашивает адреса 1..N (по умолчанию 20 или
                             наибольший адрес прибора; 1..127)
  -c, --change-rate P        вероятность смены состояния прибора (тревога,
                             неисправность, восстановление) перед его опросом (0.02)
  -k, --command-rate P       вероятность команды перед опросом (0.01)
  -n, --noise-rate P         вероятность помехи перед опросом (0)
  -q, --stop-after АДРЕС:N   прибор АДРЕС отвечает только на первые N опросов, потом
                             молчит (можно повторять)
      --walk АДРЕС:ПРОВЕРКА[,…]
                             проверка шлейфов: по очереди сработать (3 с) и вернуться
                             в норму (пауза 2 с, начало через 2 с); ПРОВЕРКА — loop1,
                             loop2, line3, line4 или tamper
  -s, --seed N               начальное число генератора: тот же поток при каждом
                             запуске (по умолчанию случайное)
  -t, --duration СЕКУНДЫ     длительность потока во времени линии
  -b, --bytes N              размер потока в байтах (не меньше N)
  -r, --replay ФАЙЛ          вместо сценария воспроизвести запись: pcap или pcapng
                             с записанными паузами, сырые байты в темпе линии
                             («-» — стандартный ввод)
Без --duration и --bytes поток идёт до Ctrl+C (или SIGTERM). Если на линии есть
приборы, поток кончается там, где ни один кадр не остался недочитанным.

Неисправности линии (поток таков, каким его читает преобразователь на 19200 бод;
не для --replay):
      --duplicate АДРЕС      второй прибор с тем же адресом отвечает на те же
                             опросы; где оба передают сразу, приёмник читает
                             наложение их битов
      --line-speed БОД       пульт и приборы передают на скорости БОД (1200..115200)
      --swap-ab              провода A и B перепутаны: уровни линии обратные
      --slow АДРЕС:МС        прибор АДРЕС отвечает на МС миллисекунд позже
                             (0..1000; паузу линии несёт только --pty; можно
                             повторять)
      --flaky АДРЕС:P        прибор АДРЕС пропускает опрос с вероятностью P
                             (можно повторять)
Файл --events не сочетается с --duplicate, --line-speed и --swap-ab.

Вывод (по умолчанию стандартный вывод, так быстро, как его принимают; на терминал
поток идёт только с -o -):
  -o, --output ФАЙЛ          записать поток в файл («-» — стандартный вывод)
  -p, --pty                  создать псевдотерминал, вывести его путь первой строкой
                             и, когда его откроют, передавать поток в темпе линии
                             (19200 бод, 11 битовых интервалов на символ)
  ПОРТ                       открыть последовательный порт (ttyUSB1, /dev/ttyUSB1) с
                             параметрами линии и передавать поток в него блоками
                             (каждая запись ждёт разворота линии: около половины
                             скорости линии)
  -e, --events ФАЙЛ          записать события, которые должен показать правильный
                             приёмник: по строке «тип<TAB>адрес<TAB>байты», как
                             поля 1, 2 и 4 вывода velora-sniff --tsv (сообщений
                             для адреса 127 журнал не показывает)
  -h, --help                 показать эту справку и выйти
  -V, --version              показать версию и выйти
)";

const velora_cli::Program kProgram{"velora-sim", kUsage, VELORA_VERSION};

template <typename T>
T required(const std::optional<T>& value, const char* option, const std::string& text) {
    if (!value) {
        kProgram.usageError(std::string("неверное значение ") + option + ": " + text);
    }
    return *value;
}

struct Options {
    velora_sim::Scenario scenario;
    velora_sim::LineFaults faults;
    std::optional<int> lastAddress;
    std::optional<std::uint32_t> seed;
    std::uint64_t byteBudget = 0; // 0: until interrupted
    std::string output = "-";
    bool outputNamed = false;
    bool pty = false;
    std::string serialPort;
    std::string eventsPath;
    std::string replayPath;
};

// A fraction in 0..1, the chance of something before a poll.
velora_cli::Option::Handler rate(double& target, const char* option) {
    return [&target, option](const std::string& text) {
        target = required(velora_cli::parseFraction(text, 0, 1), option, text);
    };
}

// ADDRESS and VALUE of an option that concerns one device.
std::pair<int, std::string> deviceAndValue(const std::string& text, const char* option) {
    const auto colon = text.find(':');
    const auto address = velora_cli::parseNumber(
        text.substr(0, colon), velora_protocol::kFirstDevice, velora_protocol::kSpecialAddress);
    if (colon == std::string::npos || !address) {
        kProgram.usageError(std::string("неверное значение ") + option + ": " + text);
    }
    return {static_cast<int>(address.value_or(0)), text.substr(colon + 1)};
}

// ADDRESS:VALUE into a map by address; `parse` reads VALUE.
template <typename Map, typename Parse>
velora_cli::Option::Handler perDevice(Map& target, const char* option, Parse parse) {
    return [&target, option, parse](const std::string& text) {
        const auto [address, value] = deviceAndValue(text, option);
        target[address] =
            static_cast<typename Map::mapped_type>(required(parse(value), option, text));
    };
}

// ADDRESS:CHECK[,ADDRESS:CHECK…] of --walk.
std::vector<std::pair<int, int>> walkChecks(const std::string& text) {
    std::vector<std::pair<int, int>> checks;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const auto [address, name] = deviceAndValue(text.substr(start, comma - start), "--walk");
        const auto check = velora_decoding::walkCheckOf(name);
        if (!check) {
            kProgram.usageError("неверная проверка в --walk: " + name +
                                " (loop1, loop2, line3, line4, tamper)");
        }
        checks.emplace_back(address, static_cast<int>(*check));
        start = comma + 1;
    }
    return checks;
}

std::uint64_t durationBytes(const std::string& text) {
    const double seconds = required(velora_cli::parseFraction(text, 0, 1e9), "--duration", text);
    if (seconds <= 0) {
        kProgram.usageError("--duration должна быть больше нуля: " + text);
    }
    return static_cast<std::uint64_t>(std::ceil(seconds * velora_sim::LinePace::kBytesPerSecond));
}

std::vector<velora_cli::Option> optionTable(Options& o, int& outputs) {
    using Value = velora_cli::Option::Value;
    using velora_cli::store;
    auto& scenario = o.scenario;
    return {
        {"devices", 'd', Value::Required,
         [&scenario](const std::string& text) {
             scenario.devices =
                 required(velora_cli::parseNumberList(text, velora_protocol::kFirstDevice,
                                                      velora_protocol::kSpecialAddress),
                          "--devices", text);
         }},
        {"last-address", 'l', Value::Required,
         [&o](const std::string& text) {
             o.lastAddress = static_cast<int>(
                 required(velora_cli::parseNumber(text, velora_protocol::kFirstDevice,
                                                  velora_protocol::kSpecialAddress),
                          "--last-address", text));
         }},
        {"change-rate", 'c', Value::Required, rate(scenario.changeRate, "--change-rate")},
        {"command-rate", 'k', Value::Required, rate(scenario.commandRate, "--command-rate")},
        {"noise-rate", 'n', Value::Required, rate(scenario.noiseRate, "--noise-rate")},
        {"stop-after", 'q', Value::Required,
         perDevice(scenario.stopAfter, "--stop-after",
                   [](const std::string& t) { return velora_cli::parseNumber(t, 0, 1LL << 62); })},
        {"walk", 0, Value::Required,
         [&scenario](const std::string& text) { scenario.walk = walkChecks(text); }},
        {"duplicate", 0, Value::Required,
         [&scenario](const std::string& text) {
             scenario.duplicate = static_cast<int>(
                 required(velora_cli::parseNumber(text, velora_protocol::kFirstDevice,
                                                  velora_protocol::kSpecialAddress),
                          "--duplicate", text));
         }},
        {"line-speed", 0, Value::Required,
         [&o](const std::string& text) {
             o.faults.baud = static_cast<std::uint32_t>(
                 required(velora_cli::parseNumber(text, 1200, 115200), "--line-speed", text));
         }},
        {"swap-ab", 0, Value::None, [&o](const std::string&) { o.faults.swapped = true; }},
        {"slow", 0, Value::Required,
         perDevice(o.faults.lateMs, "--slow",
                   [](const std::string& t) { return velora_cli::parseNumber(t, 0, 1000); })},
        {"flaky", 0, Value::Required,
         perDevice(scenario.missRate, "--flaky",
                   [](const std::string& t) { return velora_cli::parseFraction(t, 0, 1); })},
        {"seed", 's', Value::Required,
         [&o](const std::string& text) {
             o.seed = static_cast<std::uint32_t>(
                 required(velora_cli::parseNumber(text, 0, 0xFFFFFFFFLL), "--seed", text));
         }},
        {"duration", 't', Value::Required,
         [&o](const std::string& text) { o.byteBudget = durationBytes(text); }},
        {"bytes", 'b', Value::Required,
         [&o](const std::string& text) {
             o.byteBudget = static_cast<std::uint64_t>(
                 required(velora_cli::parseNumber(text, 1, 1LL << 50), "--bytes", text));
         }},
        {"replay", 'r', Value::Required, store(o.replayPath)},
        {"output", 'o', Value::Required,
         [&o, &outputs](const std::string& path) {
             o.output = path;
             o.outputNamed = true;
             ++outputs;
         }},
        {"pty", 'p', Value::None,
         [&o, &outputs](const std::string&) {
             o.pty = true;
             ++outputs;
         }},
        {"events", 'e', Value::Required, store(o.eventsPath)},
    };
}

bool bitLevelFaults(const Options& o) {
    return o.scenario.duplicate != 0 || o.faults.swapped ||
           o.faults.baud != velora_protocol::kBaudRate;
}

bool lineFaults(const Options& o) {
    return bitLevelFaults(o) || !o.faults.lateMs.empty();
}

// Faults change the scenario's stream: what a correct receiver reports of bits read
// together is known to no one but a receiver.
void checkFaults(const Options& o) {
    if (!o.replayPath.empty() && (lineFaults(o) || !o.scenario.missRate.empty())) {
        kProgram.usageError("неисправности линии только для сценария, не для --replay");
    }
    if (!o.eventsPath.empty() && bitLevelFaults(o)) {
        kProgram.usageError("--events не сочетается с --duplicate, --line-speed и --swap-ab");
    }
    for (const auto& [address, check] : o.scenario.walk) {
        if (!o.scenario.devices.count(address)) {
            kProgram.usageError("--walk: прибора с адресом " + std::to_string(address) +
                                " нет в --devices");
        }
    }
    if (o.scenario.duplicate != 0 && !o.scenario.devices.count(o.scenario.duplicate)) {
        kProgram.usageError("--duplicate: прибора с адресом " +
                            std::to_string(o.scenario.duplicate) + " нет в --devices");
    }
}

// The rules between options and operands.
void check(Options& options, int outputs, int operands, char** operand) {
    if (operands > 0) {
        options.serialPort = operand[0];
        ++outputs;
    }
    if (operands > 1) {
        kProgram.usageError(std::string("лишний аргумент: ") + operand[1]);
    }
    if (outputs > 1) {
        kProgram.usageError("нужен один вывод: --output, --pty или ПОРТ");
    }
    if (!options.replayPath.empty() && !options.eventsPath.empty()) {
        kProgram.usageError("--events только для сценария, не для --replay");
    }
    checkFaults(options);
    if (outputs == 0 && velora_cli::os::isTerminal(stdout)) {
        kProgram.usageError("двоичный поток не выводится на терминал: укажите -o ФАЙЛ (или -o -)");
    }
    const int highestDevice =
        options.scenario.devices.empty() ? 1 : *options.scenario.devices.rbegin();
    options.scenario.lastAddress =
        options.lastAddress.value_or(std::max(options.scenario.lastAddress, highestDevice));
    if (highestDevice > options.scenario.lastAddress) {
        kProgram.usageError("прибор с адресом " + std::to_string(highestDevice) +
                            " не опрашивается: --last-address " +
                            std::to_string(options.scenario.lastAddress));
    }
}

Options parseOptions(int argc, char** argv) {
    Options options;
    int outputs = 0;
    const int first = kProgram.readOptions(optionTable(options, outputs), argc, argv);
    check(options, outputs, argc - first, argv + first);
    return options;
}

// The log shows no message of types 1 to 6 outside the addresses 1..126.
void writeEvents(std::FILE* file, const std::vector<velora_traffic::Event>& events) {
    if (!file) {
        return;
    }
    for (const auto& e : events) {
        if (e.type != mtTrash && !velora_protocol::isDeviceAddress(e.address)) {
            continue;
        }
        std::fprintf(file, "%d\t%d\t%s\n", e.type, e.address,
                     velora_traffic::toHex(e.bytes).c_str());
    }
}

std::FILE* openFile(const std::string& path) {
    std::FILE* file = path == "-" ? stdout : velora_capture::os::openFile(path, "wb");
    if (!file) {
        std::perror(("velora-sim: " + path).c_str());
        std::exit(kExitFailure);
    }
    return file;
}

std::unique_ptr<velora_sim::LineOutput> openOutput(const Options& options) {
    if (options.pty) {
        auto terminal = std::make_unique<velora_sim::PseudoTerminal>();
        std::cout << terminal->path() << std::endl;
        if (!terminal->waitForReader(stopRequested)) {
            std::exit(0);
        }
        return terminal;
    }
    if (!options.serialPort.empty()) {
        auto port = std::make_unique<velora_sim::SerialOutput>();
        std::string error;
        if (!port->open(options.serialPort, error)) {
            std::cerr << "velora-sim: Ошибка при открытии порта " << options.serialPort << ": "
                      << error << '\n';
            std::exit(kExitFailure);
        }
        return port;
    }
    return std::make_unique<velora_sim::StreamOutput>(openFile(options.output));
}

// Plays a recording into the output: each record of a capture leaves at its recorded
// time after the first, so that the gaps of the line come back; a live output paces the
// bytes of a raw recording at the line's rate.
int replay(const std::string& path, velora_sim::LineOutput& output, bool live) {
    velora_capture::CaptureReader reader;
    if (!reader.open(path)) {
        std::cerr << "velora-sim: " << reader.errorText() << '\n';
        return kExitFailure;
    }
    const auto start = std::chrono::steady_clock::now();
    std::int64_t first = 0;
    bool open = true;
    velora_capture::Piece piece;
    while (open && !stopRequested && reader.next(piece)) {
        if (live && piece.time.known()) {
            if (first == 0) {
                first = piece.time.wallNs;
            }
            std::this_thread::sleep_until(start +
                                          std::chrono::nanoseconds(piece.time.wallNs - first));
        }
        open = output.send({piece.data, piece.data + piece.size});
    }
    const bool finished = output.finish();
    if (reader.failed() || reader.damaged()) {
        std::cerr << "velora-sim: " << path << ": "
                  << (reader.failed() ? reader.errorText() : reader.problem()) << '\n';
        return kExitFailure;
    }
    return open && finished ? 0 : kExitFailure;
}

// Runs the scenario into the output; with line faults, the stream is what the converter
// reads of the drivers' bits, with the line's pauses.
int simulate(const Options& options, velora_sim::LineOutput& output, std::FILE* events) {
    const std::uint32_t seed = options.seed.value_or(std::random_device{}());
    velora_sim::LineSimulator simulator(options.scenario, seed);
    std::optional<velora_sim::FaultyLine> faulty;
    if (lineFaults(options)) {
        faulty.emplace(options.faults, seed);
    }
    auto& traffic = simulator.traffic();
    std::uint64_t sent = 0;
    auto sendPieces = [&](const std::vector<velora_sim::LinePiece>& pieces) {
        bool open = true;
        for (const auto& piece : pieces) {
            sent += piece.bytes.size();
            output.pause(piece.pauseSeconds);
            open = open && output.send(piece.bytes);
        }
        return open;
    };
    auto sendStep = [&] {
        const auto bytes = traffic.takeBytes();
        writeEvents(events, traffic.takeEvents());
        if (faulty) {
            return sendPieces(faulty->carry(bytes, simulator.answers()));
        }
        sent += bytes.size();
        return output.send(bytes);
    };
    bool open = true;
    while (open && !stopRequested && (options.byteBudget == 0 || sent < options.byteBudget)) {
        simulator.step();
        open = sendStep();
    }
    // Ends where a parser has reported everything: a line without answering devices
    // never gets there, and its last polls stay unreported on a live port.
    for (int i = 0; open && i < 2 * options.scenario.lastAddress && !traffic.settled(); ++i) {
        simulator.step();
        open = sendStep();
    }
    if (open && faulty) {
        open = sendPieces(faulty->finish());
    }
    writeEvents(events, traffic.eventsAfterFlush());
    const bool finished = output.finish();
    if (events && std::fflush(events) != 0) {
        std::perror("velora-sim: --events");
        return kExitFailure;
    }
    return open && finished ? 0 : kExitFailure;
}

} // namespace

int main(int argc, char** argv) {
    velora_cli::os::prepareStandardStreams();
    argv = velora_cli::os::utf8Arguments(argc, argv);
    const Options options = parseOptions(argc, argv);
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    velora_cli::os::ignoreBrokenPipe();

    std::FILE* events = options.eventsPath.empty() ? nullptr : openFile(options.eventsPath);
    std::unique_ptr<velora_sim::LineOutput> output;
    try {
        output = openOutput(options);
    } catch (const std::runtime_error& error) {
        std::cerr << "velora-sim: " << error.what() << '\n';
        return kExitFailure;
    }

    if (!options.replayPath.empty()) {
        return replay(options.replayPath, *output, options.pty || !options.serialPort.empty());
    }

    return simulate(options, *output, events);
}
