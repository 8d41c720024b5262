// How the program ends when the user or the system ends it from outside.
//
// SIGINT and SIGTERM: the first one, while the frame loop is pumping a window's messages,
// becomes a close request for every window (the show ends orderly within a frame, a capture
// keeps what it wrote). A second one, or one at any other moment (loading, a message box up,
// no window, a loop that stopped pumping) ends the process at once. Either way it dies by that
// signal, so callers see that it was interrupted. Signals the host program handles or ignores
// itself are left alone.
//
// Losing the display connection: Xlib's default handler would call exit(), whose handlers
// then talk to the dead connection (SDL_DestroyWindow never returns). Ours says so on stderr
// and ends the process at once with status 1.

#include "platform/win32/Termination.h"
#include "platform/win32/Windows.h"

#include <SDL.h>
#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

// The loop counts as pumping when it took its messages this recently.
constexpr std::int64_t kPumpingWithinMilliseconds = 250;

std::atomic<int> liveWindows{0};
std::atomic<bool> messageBoxShowing{false};
std::atomic<std::int64_t> lastPump{-kPumpingWithinMilliseconds}; // monotonic milliseconds
volatile sig_atomic_t receivedSignal = 0; // the first signal, until the program ends
volatile sig_atomic_t closeRequested = 0; // set with it, taken by the message pump

std::int64_t NowMilliseconds() { // async-signal-safe
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
}

bool Pumping() {
    return liveWindows.load() > 0 && !messageBoxShowing.load() &&
           NowMilliseconds() - lastPump.load() <= kPumpingWithinMilliseconds;
}

void DieBy(int number) {
    signal(number, SIG_DFL);
    raise(number); // delivered once the handler returns
}

void OnSignal(int number) {
    if (receivedSignal != 0 || !Pumping()) {
        DieBy(number);
        return;
    }
    receivedSignal = number;
    closeRequested = 1;
}

// At the end of an orderly shutdown after a signal: die by it now.
void ReportSignalAtExit() {
    if (receivedSignal != 0) {
        FlushDebugOutput();
        signal(receivedSignal, SIG_DFL);
        raise(receivedSignal);
    }
}

void HandleIfDefault(int number) {
    struct sigaction current {};
    if (sigaction(number, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) {
        return;
    }
    struct sigaction handler {};
    handler.sa_handler = OnSignal;
    sigemptyset(&handler.sa_mask);
    handler.sa_flags = SA_RESTART;
    sigaction(number, &handler, nullptr);
}

// Xlib's I/O error handler: int (Display*). Called when the connection is gone; must not
// return.
int OnDisplayLost(void*) {
    FlushDebugOutput();
    const char* display = std::getenv("DISPLAY");
    std::fprintf(stderr, "%s: lost the connection to the display %s\n",
                 program_invocation_short_name, display != nullptr ? display : "");
    std::fflush(stderr);
    _exit(1);
}

// Before main, so before anything starts SDL, whose own handlers would only queue a quit
// event that nobody reads while a message box is up or start-up is loading.
const bool watchingSignals = [] {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    HandleIfDefault(SIGINT);
    HandleIfDefault(SIGTERM);
    std::atexit(ReportSignalAtExit);
    return true;
}();

} // namespace

namespace win32 {

void WatchDisplayConnection() {
    static bool watching = false;
    if (watching) {
        return;
    }
    // SDL's X11 driver has loaded Xlib by now; other drivers do not use it.
    void* xlib = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
    if (xlib == nullptr) {
        return;
    }
    using IOErrorHandler = int (*)(void*);
    using SetIOErrorHandler = IOErrorHandler (*)(IOErrorHandler);
    auto set = reinterpret_cast<SetIOErrorHandler>(dlsym(xlib, "XSetIOErrorHandler"));
    if (set != nullptr) {
        set(OnDisplayLost);
        watching = true;
    }
    dlclose(xlib); // only drops the reference taken above
}

void NoteLiveWindows(int change) {
    liveWindows += change;
}

void NoteMessageBox(bool showing) {
    messageBoxShowing = showing;
}

bool TakeCloseRequest() {
    lastPump = NowMilliseconds();
    if (closeRequested == 0) {
        return false;
    }
    closeRequested = 0;
    return true;
}

} // namespace win32
