#include "platform/win32/BrowserPage.h"

#include <emscripten.h>

namespace {

// A zero delay resumes through a message port rather than a timer: nested timers are held
// back to 4 ms each, which would throttle the unthrottled frame loop.
// clang-format off
EM_ASYNC_JS(void, WaitForBrowser, (int milliseconds), {
    await new Promise(function(resume) {
        if (milliseconds > 0) {
            setTimeout(resume, milliseconds);
            return;
        }
        var channel = new MessageChannel();
        channel.port1.onmessage = function() { resume(); };
        channel.port2.postMessage(0);
    });
});

EM_ASYNC_JS(void, WaitForAnimationFrame, (), {
    await new Promise(function(resume) {
        var timer = setTimeout(function() { cancelAnimationFrame(frame); resume(); }, 250);
        var frame = requestAnimationFrame(function() { clearTimeout(timer); resume(); });
    });
});
// clang-format on

} // namespace

namespace browser {

void Yield(int milliseconds) {
    WaitForBrowser(milliseconds);
}

void WaitForDisplayFrame() {
    WaitForAnimationFrame();
}

} // namespace browser
