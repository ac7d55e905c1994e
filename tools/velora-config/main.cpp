// velora-config: checks and normalises a configuration file of the Velora-TQ4 panel.

#include <config_velora_tq4/Configuration.h>

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cstdio>

using config_velora_tq4::Configuration;

namespace {

enum ExitCode { Ok = 0, WrongDocument = 1, UsageOrFileError = 2 };

const char* const kHelp =
    "Использование: velora-config [--trace] КОМАНДА ФАЙЛ\n"
    "\n"
    "Проверяет файл конфигурации пульта Velora-TQ4.\n"
    "\n"
    "Команды:\n"
    "  check ФАЙЛ      прочитать файл и вывести сводку: тип пульта, число секций,\n"
    "                  приборов, команд и таблиц событий\n"
    "  normalize ФАЙЛ  прочитать файл и вывести конфигурацию в стандартный вывод\n"
    "                  так, как её сохраняет библиотека (XML, UTF-8, с отступами)\n"
    "\n"
    "Параметры:\n"
    "  --trace         выводить трассировку чтения в поток ошибок\n"
    "  -h, --help      показать эту справку\n"
    "\n"
    "Коды завершения: 0 - файл прочитан; 1 - неправильный документ (выводится ошибка\n"
    "с номером строки и столбца); 2 - ошибка в параметрах или файл не открывается.\n";

struct Options {
    bool trace = false;
    bool help = false;
    QString command;
    QString file;
};

// A UTF-8 text stream on one of the standard streams.
class Console {
public:
    explicit Console(FILE* handle) {
        file.open(handle, QIODevice::WriteOnly);
        stream.setDevice(&file);
        stream.setCodec("UTF-8");
    }
    QTextStream& operator()() { return stream; }

private:
    QFile file;
    QTextStream stream;
};

Console out(stdout);
Console err(stderr);

// Returns an error text, or an empty string when the arguments are usable.
QString parseArguments(const QStringList& args, Options& options) {
    QStringList positional;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--trace")) {
            options.trace = true;
        } else if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            options.help = true;
        } else if (arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-")) {
            return QStringLiteral("неизвестный параметр %1").arg(arg);
        } else {
            positional << arg;
        }
    }
    if (options.help) {
        return {};
    }
    if (positional.size() != 2) {
        return QStringLiteral("нужны команда и имя файла");
    }
    options.command = positional[0];
    options.file = positional[1];
    if (options.command != QLatin1String("check") &&
        options.command != QLatin1String("normalize")) {
        return QStringLiteral("неизвестная команда %1").arg(options.command);
    }
    return {};
}

void dropDebugMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtDebugMsg) {
        qt_message_output(type, context, text);
    }
}

int deviceCount(const Configuration& config) {
    int count = 0;
    for (const auto& entry : config.sections()) {
        count += static_cast<int>(entry.second.devices.size());
    }
    return count;
}

void printSummary(const Configuration& config, const QString& file) {
    out() << QStringLiteral("Файл: ") << file << '\n'
          << QStringLiteral("Тип пульта: ")
          << (config.pultType() ? QStringLiteral("1 (секции с адресами)")
                                : QStringLiteral("0 (одна секция)"))
          << '\n'
          << QStringLiteral("Секций: ") << config.sections().size() << '\n'
          << QStringLiteral("Приборов: ") << deviceCount(config) << '\n'
          << QStringLiteral("Команд: ") << config.commands().size() << '\n'
          << QStringLiteral("Таблиц событий: ") << config.eventTableCount() << '\n';
}

void printDocument(const Configuration& config) {
    QFile file;
    file.open(stdout, QIODevice::WriteOnly);
    QXmlStreamWriter writer(&file);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    config.toXml(writer);
    writer.writeEndDocument();
}

int run(const Options& options) {
    QFile file(options.file);
    if (!file.open(QIODevice::ReadOnly)) {
        err() << QStringLiteral("velora-config: не удаётся открыть файл ") << options.file << ": "
              << file.errorString() << '\n';
        return UsageOrFileError;
    }
    QXmlStreamReader reader(&file);
    Configuration config;
    config.parseXml(reader);
    if (reader.hasError()) {
        err() << options.file << ':' << reader.lineNumber() << ':' << reader.columnNumber() << ": "
              << reader.errorString() << '\n';
        return WrongDocument;
    }
    if (options.command == QLatin1String("check")) {
        printSummary(config, options.file);
    } else {
        printDocument(config);
    }
    return Ok;
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        args << QString::fromLocal8Bit(argv[i]);
    }
    Options options;
    const QString error = parseArguments(args, options);
    if (!error.isEmpty()) {
        err() << "velora-config: " << error << "\n"
              << QStringLiteral("Справка: velora-config --help\n");
        return UsageOrFileError;
    }
    if (options.help) {
        out() << QString::fromUtf8(kHelp);
        return Ok;
    }
    if (!options.trace) {
        qInstallMessageHandler(dropDebugMessages);
    }
    return run(options);
}
