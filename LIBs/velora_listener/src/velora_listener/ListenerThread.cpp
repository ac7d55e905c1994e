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
    {
        const std::lock_guard<std::mutex> hold(visitLock);
        reading = true;
    }
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
    const ReadEnd end = lineReader.run([this, &parser] {
        serveVisit(parser);
        return stopRequested.load();
    });
    // The next start begins a new stream: this one's last bytes are handed over now.
    parser.endOfStream();
    serveVisit(parser, true);
    if (end == ReadEnd::ConverterLost) {
        listener->onConnectionLost();
    }
}

bool ListenerThread::visitParser(const std::function<void(const ProtocolParser&)>& visit) {
    std::unique_lock<std::mutex> hold(visitLock);
    if (!reading) {
        return false;
    }
    visitRequest = &visit;
    visited.wait(hold, [this] { return visitRequest == nullptr; });
    return true;
}

void ListenerThread::serveVisit(const ProtocolParser& parser, bool last) {
    const std::lock_guard<std::mutex> hold(visitLock);
    if (visitRequest) {
        (*visitRequest)(parser);
        visitRequest = nullptr;
        visited.notify_all();
    }
    reading = reading && !last;
}

} // namespace velora_listener
