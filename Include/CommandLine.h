#pragma once

#include <QString>
#include <QStringList>

// The program's command line: velora-debugger [PORT | FILE], --help, --version. An
// existing regular file is a capture to open; anything else names a port.
struct CommandLine {
    QString port;
    QString file;
    // Set when the program only prints `output` and ends with `exitCode`.
    bool exits = false;
    int exitCode = 0;
    QString output;

    static CommandLine parse(const QStringList& arguments);
};
