#include <MainWindow.h>

#include <QApplication>
#include <QTranslator>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Qt's own Russian texts for the standard buttons; a missing file is not an error.
    QTranslator translator;
    (void)translator.load(QStringLiteral("qtbase_ru.qm"), QCoreApplication::applicationDirPath());
    QCoreApplication::installTranslator(&translator);

    MainWindow window;
    window.show();
    return QApplication::exec();
}
