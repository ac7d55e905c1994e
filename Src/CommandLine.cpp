#include <CommandLine.h>

#include <AboutDialog.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

CommandLine CommandLine::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(Description));
    const QCommandLineOption help(
        {QStringLiteral("h"), QStringLiteral("help")},
        QCoreApplication::translate("CommandLine", "Показать эту справку и выйти."));
    const QCommandLineOption version(
        {QStringLiteral("v"), QStringLiteral("version")},
        QCoreApplication::translate("CommandLine", "Показать версию и выйти."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(
        QCoreApplication::translate("CommandLine", "ПОРТ|ФАЙЛ"),
        QCoreApplication::translate("CommandLine",
                                    "последовательный порт для подключения или запись "
                                    "(pcap, pcapng, сырые байты) для открытия"),
        QCoreApplication::translate("CommandLine", "[ПОРТ | ФАЙЛ]"));

    CommandLine line;
    if (!parser.parse(arguments) || parser.positionalArguments().size() > 1) {
        line.exits = true;
        line.exitCode = 2;
        line.output = (parser.errorText().isEmpty()
                           ? QCoreApplication::translate("CommandLine", "Лишние аргументы.")
                           : parser.errorText()) +
                      '\n' + parser.helpText();
        return line;
    }
    if (parser.isSet(help)) {
        line.exits = true;
        line.output = parser.helpText();
        return line;
    }
    if (parser.isSet(version)) {
        line.exits = true;
        line.output = QStringLiteral("velora-debugger ") + QString::fromUtf8(Version) + '\n';
        return line;
    }
    if (!parser.positionalArguments().isEmpty()) {
        const QString target = parser.positionalArguments().first();
        (namesPort(target) ? line.port : line.file) = target;
    }
    return line;
}

bool CommandLine::namesPort(const QString& target) {
    const QFileInfo info(target);
    if (target.startsWith(QStringLiteral("/dev/"))) {
        return true;
    }
    if (info.exists()) {
        return !info.isFile() && !info.isDir();
    }
    static const QStringList captureSuffixes{QStringLiteral("pcap"), QStringLiteral("pcapng"),
                                             QStringLiteral("bin"), QStringLiteral("raw")};
    return !target.contains('/') && !target.contains('\\') &&
           !captureSuffixes.contains(info.suffix(), Qt::CaseInsensitive);
}
