// Any document read as a panel configuration. The result must be a complete configuration;
// writing it must give a well-formed document that reads back into a configuration which
// writes the same document, and reading that again gives an equal configuration. (The
// first configuration may hold what the file does not carry: individualReset of a
// one-section panel, the dubler name of a section without a name.)
#include "FuzzCheck.h"
#include "QuietQt.h"

#include <config_velora_tq4/Configuration.h>

#include <QByteArray>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cstddef>
#include <cstdint>

using config_velora_tq4::Configuration;

namespace {

void checkComplete(const Configuration& configuration) {
    FUZZ_CHECK(configuration.eventTableCount() >= 1 &&
               configuration.eventTableCount() <= Configuration::kMaxEventTables);
    FUZZ_CHECK(configuration.commands().size() <=
               static_cast<std::size_t>(Configuration::kMaxCommands));
    FUZZ_CHECK(configuration.pultType() || configuration.sections().count(0) == 1);
    FUZZ_CHECK(configuration.eventTable(0).name.empty());
}

QByteArray write(const Configuration& configuration) {
    QByteArray document;
    QXmlStreamWriter writer(&document);
    writer.writeStartDocument();
    configuration.toXml(writer);
    writer.writeEndDocument();
    return document;
}

void read(Configuration& configuration, const QByteArray& document, bool mustSucceed) {
    QXmlStreamReader reader(document);
    configuration.parseXml(reader);
    FUZZ_CHECK(!mustSucceed || !reader.hasError());
    checkComplete(configuration);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    silenceQtMessages();
    Configuration first;
    read(first, QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size)), false);

    const QByteArray written = write(first);
    Configuration second;
    read(second, written, true);
    const QByteArray rewritten = write(second);
    FUZZ_CHECK(rewritten == written);
    Configuration third;
    read(third, rewritten, true);
    FUZZ_CHECK(third == second);
    return 0;
}
