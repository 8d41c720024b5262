// The program in a web page: the show, or, when the page asks for frames (the browser tests),
// the show on the capture host's virtual clock with those frames handed to the page. With the
// page's "sharp" choice (Module.sharp) the show is rendered at the canvas's pixel size, 4:3
// kept, instead of 640 x 480.
// The runtime stays up after main (the page may still read its output), so the end is told to
// the page here rather than by exiting.

#include "demo/DataFolder.h"
#include "demo/Demo.h"
#include "platform/win32/Host.h"
#include "web/BrowserCapture.h"

#include <emscripten.h>

namespace {

// clang-format off
EM_JS(int, PageWantsSharp, (), { return Module["sharp"] ? 1 : 0; });
EM_JS(void, TellPageTheShowEnded, (int status), {
    if (Module["onShowEnded"]) Module["onShowEnded"](status);
});
// clang-format on

int Run() {
    EnterDataFolder();
    const bool sharp = PageWantsSharp() != 0;
    if (const std::optional<BrowserCaptureJob> job = CaptureJobOfPage(sharp)) {
        return RunBrowserCapture(*job);
    }
    if (sharp) {
        host::PlayResolution resolution;
        resolution.native = true;
        host::SetResolution(resolution);
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
