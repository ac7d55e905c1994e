#include <CommandLine.h>
#include <MainWindow.h>
#include <velora_cli/Os.h>

#include <QApplication>
#include <QLibraryInfo>
#include <QTextStream>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

namespace {

// Qt's own Russian texts (the standard buttons, the command line's help), beside the program
// or in Qt's translations folder; a missing file is not an error.
void loadTranslation(QTranslator& translator) {
    const QString name = QStringLiteral("qtbase_ru.qm");
    (void)(translator.load(name, QCoreApplication::applicationDirPath()) ||
           translator.load(name, QLibraryInfo::location(QLibraryInfo::TranslationsPath)));
    QCoreApplication::installTranslator(&translator);
}

// --help and --version work without a display.
CommandLine parseCommandLine(int argc, char* argv[]) {
    QCoreApplication core(argc, argv);
    QTranslator translator;
    loadTranslation(translator);
    return CommandLine::parse(QCoreApplication::arguments());
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setOrganizationName(QStringLiteral("velora"));
    QCoreApplication::setApplicationName(QStringLiteral("velora-debugger"));
    velora_cli::os::attachParentConsole();
    const CommandLine line = parseCommandLine(argc, argv);
    if (line.exits) {
        QTextStream stream(line.exitCode == 0 ? stdout : stderr);
        stream.setCodec("UTF-8");
        stream << line.output;
        return line.exitCode;
    }

    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    // 125 % and 150 %, common on laptops, are kept as they are instead of rounded.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication application(argc, argv);
    QTranslator translator;
    loadTranslation(translator);

    MainWindow window;
    window.restoreSettings();
    window.show();
    // Started from the event loop, so that error boxes have their window.
    QTimer::singleShot(0, &window, [&window, &line] {
        if (!line.file.isEmpty()) {
            window.openCapture(line.file);
        } else if (!line.port.isEmpty()) {
            window.connectToPort(line.port);
        }
    });
    return QApplication::exec();
}
