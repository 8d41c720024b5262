#include "platform/d3d8/GLContext.h"

#include "platform/d3d8/GLHeaders.h"
#include "platform/win32/SdlWindow.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>

namespace {

class SdlGLContext final : public GLContext {
  public:
    SdlGLContext(SDL_Window* w, SDL_GLContext c) : window(w), context(c) {}
    ~SdlGLContext() override {
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(context);
    }
    SdlGLContext(const SdlGLContext&) = delete;
    SdlGLContext& operator=(const SdlGLContext&) = delete;

    void MakeCurrent() override { SDL_GL_MakeCurrent(window, context); }

    bool WindowHidden() override {
        const Uint32 flags = SDL_GetWindowFlags(window);
        return (flags & SDL_WINDOW_MINIMIZED) != 0 || (flags & SDL_WINDOW_SHOWN) == 0;
    }

    // A desktop context is never lost.
    unsigned Generation() override { return 0; }

    void DrawableSize(int& width, int& height) override {
        SDL_GL_GetDrawableSize(window, &width, &height);
    }

    void Swap() override { SDL_GL_SwapWindow(window); }

  private:
    SDL_Window* window;
    SDL_GLContext context;
};

bool Set(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

} // namespace

// Without any screen SDL would quietly pick its off-screen driver and the show would play where
// nobody sees it; an explicit SDL_VIDEODRIVER is the user's own choice.
bool HostHasDisplay() {
    return Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("SDL_VIDEODRIVER");
}

bool StartGLVideo() {
    if (!StartSdlVideo()) {
        std::fprintf(stderr, "Direct3DCreate8: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

void StopGLVideo() {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

std::unique_ptr<GLContext> GLContext::Create(HWND handle) {
    SDL_Window* window = SdlWindowOf(handle);
    if (window == nullptr) {
        return nullptr;
    }
    if constexpr (kOpenGLES) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    } else {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) {
        std::fprintf(stderr, "OpenGL context: %s\n", SDL_GetError());
        return nullptr;
    }
    SDL_GL_SetSwapInterval(0);
    return std::make_unique<SdlGLContext>(window, context);
}
