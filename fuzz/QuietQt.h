#pragma once

#include <QtGlobal>

// The configuration library traces every operation to Qt's debug stream; a fuzzer runs
// them millions of times, so the messages are dropped. Call once per input; only the
// first call installs the handler.
inline void silenceQtMessages() {
    static const bool installed = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        return true;
    }();
    (void)installed;
}
