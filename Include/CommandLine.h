#pragma once

#include <QString>
#include <QStringList>

// The program's command line: velora-debugger [PORT | FILE], --help, --version. A path
// (a file or a folder, there or not) or a name with a capture's extension is a capture to
// open, so that a missing one is reported as a missing file; a device under /dev or a bare
// name (ttyUSB0, COM3) is a port.
struct CommandLine {
    QString port;
    QString file;
    // Set when the program only prints `output` and ends with `exitCode`.
    bool exits = false;
    int exitCode = 0;
    QString output;

    static CommandLine parse(const QStringList& arguments);
    static bool namesPort(const QString& target);
};
