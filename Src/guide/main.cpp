// velora-user-guide: writes the user guide, the README's section on the desktop program, as
// HTML. The build runs it; the program opens the file from Справка → Руководство
// пользователя.
#include <QFile>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstdio>

namespace {

// The lines of `markdown` from `heading` to the next heading of the same level.
QString section(const QString& markdown, const QString& heading) {
    const int begin = markdown.indexOf(heading);
    if (begin < 0) {
        return QString();
    }
    const int end = markdown.indexOf(QStringLiteral("\n## "), begin + heading.size());
    return markdown.mid(begin, end < 0 ? -1 : end - begin);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fputs("usage: velora-user-guide README.md OUT.html\n", stderr);
        return 2;
    }
    // The document's fonts need a GUI application, not a display.
    static char platform[] = "-platform";
    static char offscreen[] = "offscreen";
    char* arguments[] = {argv[0], platform, offscreen, nullptr};
    int count = 3;
    QGuiApplication application(count, arguments);

    QFile readme(QString::fromLocal8Bit(argv[1]));
    if (!readme.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "velora-user-guide: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString text =
        section(QString::fromUtf8(readme.readAll()), QStringLiteral("## Desktop program"));
    if (text.isEmpty()) {
        std::fputs("velora-user-guide: the README has no section \"Desktop program\"\n", stderr);
        return 1;
    }
    QTextDocument document;
    document.setMarkdown(text);
    document.setMetaInformation(QTextDocument::DocumentTitle,
                                QString::fromUtf8("Отладчик «Velora»: руководство пользователя"));
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(document.toHtml("utf-8").toUtf8()) < 0) {
        std::fprintf(stderr, "velora-user-guide: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
