// velora-config: checks and normalises a configuration file of the Velora-TQ4 panel.

#include <config_velora_tq4/Configuration.h>
#include <config_velora_tq4/DocumentCheck.h>
#include <config_velora_tq4/Trace.h>
#include <velora_cli/Os.h>

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>
#include <vector>

using config_velora_tq4::checkDocument;
using config_velora_tq4::Configuration;
using config_velora_tq4::Diagnostic;

namespace {

enum ExitCode { Ok = 0, WrongDocument = 1, UsageOrFileError = 2 };

const char* const kHelp =
    "Использование: velora-config [ПАРАМЕТРЫ] КОМАНДА ФАЙЛ\n"
    "\n"
    "Проверяет файл конфигурации пульта Velora-TQ4.\n"
    "\n"
    "Команды:\n"
    "  check ФАЙЛ      проверить файл: вывести ошибки и предупреждения в виде\n"
    "                  ФАЙЛ:СТРОКА:СТОЛБЕЦ: ошибка|предупреждение: текст, затем сводку:\n"
    "                  тип пульта, число секций, приборов, команд и таблиц событий\n"
    "  normalize ФАЙЛ  прочитать файл и вывести конфигурацию в стандартный вывод\n"
    "                  так, как её сохраняет библиотека (XML, UTF-8, с отступами);\n"
    "                  файл с ошибками не выводится\n"
    "\n"
    "Параметры:\n"
    "  --strict        считать предупреждения ошибками\n"
    "  --quiet         выводить только ошибки и предупреждения, без сводки\n"
    "  --verbose       выводить и заметки: например, какие имена пульт запишет в виде\n"
    "                  для дисплея (кириллица, похожая на латиницу, станет латиницей)\n"
    "  --force         normalize: вывести конфигурацию и при ошибках в файле\n"
    "  --trace         выводить трассировку чтения в поток ошибок\n"
    "  -V, --version   показать версию и выйти\n"
    "  -h, --help      показать эту справку\n"
    "\n"
    "Коды завершения: 0 - ошибок нет (normalize: конфигурация выведена); 1 - в файле\n"
    "есть ошибки (с --strict и предупреждения) или документ не читается; 2 - ошибка\n"
    "в параметрах или файл не открывается.\n";

struct Options {
    bool trace = false;
    bool help = false;
    bool version = false;
    bool strict = false;
    bool quiet = false;
    bool verbose = false;
    bool force = false;
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
    const std::pair<const char*, bool Options::*> kFlags[] = {
        {"--trace", &Options::trace}, {"--strict", &Options::strict},
        {"--quiet", &Options::quiet}, {"--verbose", &Options::verbose},
        {"--force", &Options::force}, {"--version", &Options::version},
        {"-V", &Options::version},
    };
    for (const QString& arg : args) {
        const auto flag = std::find_if(std::begin(kFlags), std::end(kFlags), [&](const auto& f) {
            return arg == QLatin1String(f.first);
        });
        if (flag != std::end(kFlags)) {
            options.*(flag->second) = true;
        } else if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            options.help = true;
        } else if (arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-")) {
            return QStringLiteral("неизвестный параметр %1").arg(arg);
        } else {
            positional << arg;
        }
    }
    if (options.help || options.version) {
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

// Qt's Russian translation, for the XML reader's own messages: beside the program, or Qt's.
void loadQtTranslation(QTranslator& translator) {
    const QString name = QStringLiteral("qtbase_ru");
    if (translator.load(name, QCoreApplication::applicationDirPath()) ||
        translator.load(name, QLibraryInfo::location(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&translator);
    }
}

int run(const Options& options) {
    QFile file(options.file);
    if (!file.open(QIODevice::ReadOnly)) {
        err() << QStringLiteral("velora-config: не удаётся открыть файл ") << options.file << ": "
              << file.errorString() << '\n';
        return UsageOrFileError;
    }
    const QByteArray document = file.readAll();
    QXmlStreamReader reader(document);
    Configuration config;
    config.parseXml(reader);

    std::vector<Diagnostic> diagnostics = checkDocument(document);
    const auto countOf = [&](Diagnostic::Severity severity) {
        return std::count_if(diagnostics.begin(), diagnostics.end(),
                             [&](const Diagnostic& d) { return d.severity == severity; });
    };
    // The reader refused the document: that is an error even where the check saw none.
    if (reader.hasError() && countOf(Diagnostic::Severity::Error) == 0) {
        diagnostics.push_back({Diagnostic::Severity::Error, reader.lineNumber(),
                               reader.columnNumber() + 1, reader.errorString()});
    }
    for (const Diagnostic& diagnostic : diagnostics) {
        if (diagnostic.severity != Diagnostic::Severity::Note || options.verbose) {
            err() << diagnostic.format(options.file) << '\n';
        }
    }
    err().flush();
    const auto errors = countOf(Diagnostic::Severity::Error);
    const auto warnings = countOf(Diagnostic::Severity::Warning);
    const auto notes = countOf(Diagnostic::Severity::Note);
    const bool failed = errors > 0 || (options.strict && warnings > 0);
    if (reader.hasError()) {
        return WrongDocument;
    }
    if (options.command == QLatin1String("check")) {
        if (!options.quiet) {
            printSummary(config, options.file);
            out() << QStringLiteral("Ошибок: ") << errors << '\n'
                  << QStringLiteral("Предупреждений: ") << warnings << '\n';
            if (notes > 0 && !options.verbose) {
                out() << QStringLiteral("Заметок: %1 (имена в виде для дисплея и т. п.; "
                                        "показывает --verbose)\n")
                             .arg(notes);
            }
        }
        return failed ? WrongDocument : Ok;
    }
    if (failed && !options.force) {
        if (!options.quiet) {
            err() << QStringLiteral("velora-config: в файле есть ошибки, конфигурация не выведена "
                                    "(--force выводит её всё равно)\n");
        }
        return WrongDocument;
    }
    printDocument(config);
    return Ok;
}

} // namespace

int main(int argc, char* argv[]) {
    velora_cli::os::prepareStandardStreams();
    QCoreApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
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
    if (options.version) {
        out() << "velora-config " VELORA_VERSION "\n";
        return Ok;
    }
    QTranslator translator;
    loadQtTranslation(translator);
    if (options.trace) {
        config_velora_tq4::setTracing(true);
    }
    return run(options);
}
