#include <WalkMarks.h>

#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace {

bool checkOf(const QString& id, velora_decoding::WalkCheck* check) {
    for (int i = 0; i < velora_decoding::kWalkChecks; ++i) {
        const auto candidate = velora_decoding::WalkCheck(i);
        if (id == QLatin1String(velora_decoding::walkCheckId(candidate))) {
            *check = candidate;
            return true;
        }
    }
    return false;
}

} // namespace

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
        velora_decoding::WalkCheck check{};
        if (fields.size() == 2 && isNumber && checkOf(fields[1], &check)) {
            marks.emplace(address, check);
        }
    }
    return marks;
}
