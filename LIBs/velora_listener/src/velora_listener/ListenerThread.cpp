#include <velora_listener/LineReader.h>
#include <velora_listener/ListenerThread.h>
#include <velora_listener/ProtocolParser.h>

#include <utility>

namespace velora_listener {

ListenerThread::ListenerThread(rs485::RS485Connection* connection, ParserEventListener* listener,
                               ReadCall readCall)
    : connection(connection)
    , listener(listener)
    , readCall(std::move(readCall)) {}

ListenerThread::~ListenerThread() {
    stop();
}

void ListenerThread::start() {
    stop();
    stopRequested = false;
    reader = std::thread(&ListenerThread::run, this);
}

void ListenerThread::stop() {
    if (!reader.joinable()) {
        return;
    }
    stopRequested = true;
    reader.join();
}

void ListenerThread::run() {
    ProtocolParser parser(listener);
    LineReader lineReader(*connection, parser, readCall);
    lineReader.setByteTap(byteTap);
    const ReadEnd end = lineReader.run([this] { return stopRequested.load(); });
    // The next start begins a new stream: this one's last bytes are handed over now.
    parser.endOfStream();
    if (end == ReadEnd::ConverterLost) {
        listener->onConnectionLost();
    }
}

} // namespace velora_listener
