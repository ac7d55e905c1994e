// velora-extcap: live capture of a Velora line in Wireshark through its extcap interface.
// Wireshark runs it from its extcap folder: --extcap-interfaces lists the converters,
// --capture streams the line as our pcap capture into Wireshark's fifo.
#include <rs485/PortDiscovery.h>
#include <rs485/RS485Connection.h>
#include <velora_capture/CaptureFormat.h>
#include <velora_capture/CaptureWriter.h>
#include <velora_capture/LiveLine.h>
#include <velora_cli/Os.h>
#include <velora_cli/Program.h>
#include <velora_listener/ParserEventListener.h>
#include <velora_listener/ProtocolParser.h>
#include <velora_protocol/LineSpeed.h>

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int kExitFailure = 1;
using velora_cli::kExitUsage;
constexpr int kExitConverterLost = 3;

// The interface of a discovered converter is this prefix and its port; the bare prefix is
// the interface whose port is typed in its options.
const std::string kInterface = "velora";
const std::string kDisplay = "Velora RS-485";

const char* const kUsage = R"(Использование: velora-extcap --extcap-interfaces
             velora-extcap --extcap-dlts --extcap-interface ИНТЕРФЕЙС
             velora-extcap --extcap-config --extcap-interface ИНТЕРФЕЙС
             velora-extcap --capture --extcap-interface ИНТЕРФЕЙС --fifo ФАЙЛ [--port ПОРТ]
Захват линии «Velora» в Wireshark (интерфейс extcap). Wireshark запускает программу
из своей папки extcap сам; в списке интерфейсов захвата появляется
«Velora RS-485: /dev/ttyUSB0» для каждого найденного преобразователя USB-RS485 и
«Velora RS-485», порт которого вводят в его параметрах.

  --extcap-interfaces        перечислить интерфейсы
  --extcap-dlts              тип канала интерфейса (LINKTYPE_USER0)
  --extcap-config            параметры интерфейса
  --capture                  захватывать, пока Wireshark не остановит захват
  --extcap-interface ИМЯ     интерфейс: velora:/dev/ttyUSB0 или velora
  --fifo ФАЙЛ                куда писать захват в формате pcap
  --port ПОРТ                порт преобразователя (по умолчанию из имени интерфейса)
  -h, --help                 показать эту справку и выйти
  -V, --version              показать версию и выйти
)";

const velora_cli::Program kProgram{"velora-extcap", kUsage, VELORA_VERSION};

struct Options {
    enum class Mode { None, Interfaces, Dlts, Config, Capture } mode = Mode::None;
    std::string interface;
    std::string fifo;
    std::string port;
    std::string captureFilter;
};

std::vector<velora_cli::Option> optionTable(Options& o) {
    using Mode = Options::Mode;
    using Value = velora_cli::Option::Value;
    using velora_cli::store;
    const auto mode = [&o](Mode mode) {
        return [&o, mode](const std::string&) {
            if (o.mode != Mode::None && o.mode != mode) {
                kProgram.usageError("нужен один из режимов --extcap-interfaces, --extcap-dlts, "
                                    "--extcap-config, --capture");
            }
            o.mode = mode;
        };
    };
    const auto ignore = [](const std::string&) {};
    return {
        {"extcap-interfaces", 0, Value::None, mode(Mode::Interfaces)},
        {"extcap-dlts", 0, Value::None, mode(Mode::Dlts)},
        {"extcap-config", 0, Value::None, mode(Mode::Config)},
        {"capture", 0, Value::None, mode(Mode::Capture)},
        {"extcap-interface", 0, Value::Required, store(o.interface)},
        {"fifo", 0, Value::Required, store(o.fifo)},
        {"port", 0, Value::Required, store(o.port)},
        {"extcap-capture-filter", 0, Value::Required, store(o.captureFilter)},
        // What Wireshark may pass besides: its version, its debugging switches.
        {"extcap-version", 0, Value::Optional, ignore},
        {"debug-file|log-level|log-file", 0, Value::Required, ignore},
        {"debug", 0, Value::None, ignore},
    };
}

Options parseOptions(int argc, char** argv) {
    Options options;
    const int first = kProgram.readOptions(optionTable(options), argc, argv);
    if (first != argc) {
        kProgram.usageError(std::string("лишний аргумент: ") + argv[first]);
    }
    if (options.mode == Options::Mode::None) {
        kProgram.usageError("нужен режим --extcap-interfaces, --extcap-dlts, --extcap-config или "
                            "--capture");
    }
    if (options.mode != Options::Mode::Interfaces && options.interface.empty()) {
        kProgram.usageError("нужен --extcap-interface");
    }
    if (options.mode == Options::Mode::Capture && options.fifo.empty()) {
        kProgram.usageError("нужен --fifo");
    }
    return options;
}

// The port that an interface name carries: "velora:/dev/ttyUSB0" gives /dev/ttyUSB0, the bare
// "velora" nothing.
std::string interfacePort(const std::string& interface) {
    if (interface == kInterface) {
        return {};
    }
    if (interface.rfind(kInterface + ":", 0) == 0) {
        return interface.substr(kInterface.size() + 1);
    }
    kProgram.usageError("неизвестный интерфейс: " + interface);
}

void printInterfaces() {
    std::cout << "extcap {version=" VELORA_VERSION "}\n";
    for (const auto& port : rs485::converterPortNames()) {
        std::cout << "interface {value=" << kInterface << ':' << port << "}{display=" << kDisplay
                  << ": " << port << "}\n";
    }
    std::cout << "interface {value=" << kInterface << "}{display=" << kDisplay << "}\n";
}

void printDlts() {
    std::cout << "dlt {number=" << velora_capture::kLinkType << "}{name=USER0}{display=" << kDisplay
              << "}\n";
}

// One option, the port: typed, preset to the interface's own port. (Wireshark 4.0 has no
// list that also takes typed text; the converters found are interfaces of their own.)
void printConfig(const std::string& interface) {
    const std::string port = interfacePort(interface);
    std::cout << "arg {number=0}{call=--port}{display=Порт}{type=string}"
                 "{tooltip=Порт преобразователя USB-RS485, например /dev/ttyUSB0}";
    if (!port.empty()) {
        std::cout << "{default=" << port << '}';
    }
    std::cout << "{required=true}\n";
}

// Every frame of the line goes into the capture; the first failed write ends the capture.
class CaptureListener : public velora_listener::ParserEventListener {
public:
    explicit CaptureListener(velora_capture::CaptureWriter& writer)
        : writer(writer) {}

    void onFrame(const velora_protocol::Frame& frame) override { ok = ok && writer.write(frame); }
    // The bytes the line ended in, so that the capture holds every byte.
    void onUnfinished(const velora_protocol::Frame& bytes) override { onFrame(bytes); }

    // Hands the capture on; false once Wireshark no longer reads it.
    bool flush() { return ok && writer.flush(); }

private:
    velora_capture::CaptureWriter& writer;
    bool ok = true;
};

int capture(const Options& options) {
    const auto& stopRequested = velora_capture::catchStopSignals();
    // A fifo whose reader has gone fails the write instead of ending the program.
    velora_cli::os::ignoreBrokenPipe();
    if (!options.captureFilter.empty()) {
        std::cerr << "Фильтр захвата не поддерживается: используйте фильтр отображения, "
                     "например velora.address == 5\n";
        return kExitUsage;
    }
    const std::string port = options.port.empty() ? interfacePort(options.interface) : options.port;
    if (port.empty()) {
        std::cerr << "Не указан порт преобразователя: задайте его в параметрах интерфейса\n";
        return kExitUsage;
    }
    rs485::RS485Connection connection;
    if (!connection.open(port, velora_protocol::kBaudRate)) {
        std::cerr << "Ошибка при открытии порта " << port << ": " << connection.lastErrorText()
                  << '\n';
        return kExitFailure;
    }
    velora_capture::CaptureWriter writer;
    if (!writer.open(options.fifo)) {
        std::cerr << writer.errorText() << '\n';
        return kExitFailure;
    }
    CaptureListener listener(writer);
    velora_listener::ProtocolParser parser(&listener);
    const auto end = velora_capture::readLiveLine(connection, parser, stopRequested,
                                                  [&] { return listener.flush(); });
    connection.close();
    // Wireshark stops a capture by a signal or by closing the fifo: both end it normally.
    writer.close();
    if (end == velora_capture::LiveEnd::ConverterLost) {
        std::cerr << "Нет связи с преобразователем USB-RS485.\n";
        return kExitConverterLost;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    switch (options.mode) {
    case Options::Mode::Interfaces:
        printInterfaces();
        return 0;
    case Options::Mode::Dlts:
        interfacePort(options.interface);
        printDlts();
        return 0;
    case Options::Mode::Config:
        printConfig(options.interface);
        return 0;
    case Options::Mode::Capture:
    case Options::Mode::None:
        break;
    }
    return capture(options);
}
