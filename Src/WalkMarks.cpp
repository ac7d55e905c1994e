#include <WalkMarks.h>

#include <QFile>
#include <QSaveFile>
#include <QTextStream>

QString walkMarksPath(const QString& capturePath) {
    return capturePath + QStringLiteral(".walk");
}

bool writeWalkMarks(const QString& capturePath, const WalkMarks& marks, QString* error) {
    const QString path = walkMarksPath(capturePath);
    if (marks.empty()) {
        QFile::remove(path);
        return true;
    }
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        QTextStream out(&file);
        for (const auto& [address, check] : marks) {
            out << address << '\t' << velora_decoding::walkCheckId(check) << '\n';
        }
        out.flush();
        if (file.commit()) {
            return true;
        }
    }
    *error = file.errorString();
    return false;
}

WalkMarks readWalkMarks(const QString& capturePath) {
    WalkMarks marks;
    QFile file(walkMarksPath(capturePath));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return marks;
    }
    while (!file.atEnd()) {
        const QStringList fields = QString::fromUtf8(file.readLine()).trimmed().split('\t');
        bool isNumber = false;
        const int address = fields.value(0).toInt(&isNumber);
        const auto check = velora_decoding::walkCheckOf(fields.value(1).toStdString());
        if (fields.size() == 2 && isNumber && check) {
            marks.emplace(address, *check);
        }
    }
    return marks;
}
