#pragma once

// Runs velora-sim and velora-sniff as programs and reads what they wrote.
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline Result run(const QString& program, const QStringList& arguments,
                  const QByteArray& input = {}) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForStarted()) << program.toStdString();
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

inline Result sim(const QStringList& arguments) {
    return run(QStringLiteral(VELORA_SIM), arguments);
}

inline Result sniff(const QStringList& arguments, const QByteArray& input = {}) {
    return run(QStringLiteral(VELORA_SNIFF), arguments, input);
}

using Lines = std::vector<std::string>;

inline Lines lines(const QByteArray& text) {
    Lines all;
    for (const QByteArray& line : text.split('\n')) {
        all.push_back(line.toStdString());
    }
    if (!all.empty() && all.back().empty()) {
        all.pop_back();
    }
    return all;
}

// A --tsv line without its text: type, address, bytes, as the simulator lists events.
inline Lines withoutText(const QByteArray& tsv) {
    Lines events;
    for (const std::string& line : lines(tsv)) {
        const QList<QByteArray> fields = QByteArray::fromStdString(line).split('\t');
        EXPECT_EQ(fields.size(), 4) << line;
        EXPECT_FALSE(fields.value(2).isEmpty()) << line;
        events.push_back(
            (fields.value(0) + '\t' + fields.value(1) + '\t' + fields.value(3)).toStdString());
    }
    return events;
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

inline void writeFile(const QString& path, const std::vector<std::uint8_t>& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

class ToolsTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
};
