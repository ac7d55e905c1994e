#include <velora_listener/VeloraListener.h>

namespace velora_listener {

VeloraListener::VeloraListener(ParserEventListener* listener)
    : thread(&connection, listener) {}

VeloraListener::~VeloraListener() {
    thread.stop();
}

bool VeloraListener::open(const std::string& portName) {
    return connection.open(portName, kBaudRate);
}

bool VeloraListener::close() {
    // A reader must never see its port closed under it.
    thread.stop();
    return connection.close();
}

void VeloraListener::start() {
    thread.start();
}

void VeloraListener::stop() {
    thread.stop();
}

} // namespace velora_listener
