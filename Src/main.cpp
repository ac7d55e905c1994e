#include <CommandLine.h>
#include <MainWindow.h>

#include <QApplication>
#include <QTextStream>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

namespace {

// Qt's own Russian texts (the standard buttons, the command line's help); a missing file is
// not an error.
void loadTranslation(QTranslator& translator) {
    (void)translator.load(QStringLiteral("qtbase_ru.qm"), QCoreApplication::applicationDirPath());
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
    const CommandLine line = parseCommandLine(argc, argv);
    if (line.exits) {
        QTextStream(line.exitCode == 0 ? stdout : stderr) << line.output;
        return line.exitCode;
    }

    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
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
