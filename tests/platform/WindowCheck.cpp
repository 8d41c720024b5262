// vellomire-window-check: the application's real window on a real display, for the Xvfb
// test. Fills the 640 x 480 picture with one colour every frame until the window is asked to
// close (Escape), then reports whether the pointer was hidden. Exit status 0 when the run was
// ended by a close request with the pointer hidden; 2 on timeout; 1 on any failure.

#include "platform/FullscreenApplication.h"
#include "platform/Timer.h"

#include <SDL.h>

#include <cstdio>

int main() {
    FullscreenApplication app(0);
    const EngineResult created = app.Create(640, 480);
    if (created != 0) {
        std::fprintf(stderr, "Create failed: %d\n", created);
        return 1;
    }
    if (!app.SetTitle("Vellomire")) {
        std::fprintf(stderr, "SetTitle failed\n");
        return 1;
    }
    std::printf("running\n");
    std::fflush(stdout);

    Timer timer;
    bool hidden = true;
    while (app.IsActive()) {
        if (timer.ElapsedMilliseconds() > 60000) {
            std::fprintf(stderr, "no close request within 60 s\n");
            return 2;
        }
        app.ClearTarget(0x00C02020);
        if (app.Update() != 0) {
            std::fprintf(stderr, "Update failed\n");
            return 1;
        }
        hidden = hidden && SDL_ShowCursor(SDL_QUERY) == SDL_DISABLE;
        SDL_Delay(10);
    }
    std::printf("closed, pointer %s\n", hidden ? "hidden" : "shown");
    app.Release();
    return hidden ? 0 : 1;
}
