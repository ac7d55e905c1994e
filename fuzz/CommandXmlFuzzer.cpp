// Any content inside a "command" element, read into a command of either layout. The reader
// must keep the command's eight bytes and, on a well-formed element, stop on its end tag;
// writing the command and reading it back must give the same name and bytes.
#include "FuzzCheck.h"
#include "QuietQt.h"

#include <config_velora_tq4/Command.h>

#include <QByteArray>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cstddef>
#include <cstdint>

using config_velora_tq4::Command;

namespace {

// Reads the first element of the document, which is a "command", into a new command;
// returns whether the element was well formed. A document that breaks off before its
// first element (say, bytes that are not UTF-8) leaves the default command.
bool readCommand(const QByteArray& document, Command& command) {
    QXmlStreamReader reader(document);
    if (!reader.readNextStartElement()) {
        FUZZ_CHECK(reader.hasError());
        return false;
    }
    FUZZ_CHECK(reader.name() == QLatin1String("command"));
    command.fromXml(reader);
    FUZZ_CHECK(command.data().size() == Command::kLength);
    if (reader.hasError()) {
        return false;
    }
    FUZZ_CHECK(reader.isEndElement() && reader.name() == QLatin1String("command"));
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    silenceQtMessages();
    const QByteArray document =
        QByteArray("<command>") +
        QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size)) +
        QByteArray("</command>");
    for (const bool console : {false, true}) {
        Command command(console);
        readCommand(document, command);

        QByteArray written;
        QXmlStreamWriter writer(&written);
        command.toXml(writer);
        Command reread(console);
        FUZZ_CHECK(readCommand(written, reread));
        FUZZ_CHECK(reread.name() == command.name() && reread.data() == command.data());
    }
    return 0;
}
