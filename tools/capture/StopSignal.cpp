#include "tools/capture/StopSignal.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t received = 0;

void Received(int signal) {
    received = signal;
}

} // namespace

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = Received;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND; // the next one has the default effect
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int StopSignal() {
    return received;
}

const char* StopSignalName(int signal) {
    return signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "a signal";
}
