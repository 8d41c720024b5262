// The program in a web page: the show, or, when the page asks for frames (the browser tests),
// the show on the capture host's virtual clock with those frames handed to the page.
// The runtime stays up after main (the page may still read its output), so the end is told to
// the page here rather than by exiting.

#include "demo/DataFolder.h"
#include "demo/Demo.h"
#include "web/BrowserCapture.h"

#include <emscripten.h>

namespace {

// clang-format off
EM_JS(void, TellPageTheShowEnded, (int status), {
    if (Module["onShowEnded"]) Module["onShowEnded"](status);
});
// clang-format on

int Run() {
    EnterDataFolder();
    if (const std::optional<BrowserCaptureJob> job = CaptureJobOfPage()) {
        return RunBrowserCapture(*job);
    }
    return WinMain(nullptr, nullptr, nullptr, 0);
}

} // namespace

int main() {
    const int status = Run();
    FlushDebugOutput();
    TellPageTheShowEnded(status);
    return status;
}
