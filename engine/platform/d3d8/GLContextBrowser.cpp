// WebGL 2 on the page's canvas. The canvas keeps the page's size (the page follows the
// window); the device scales its picture into it.
//
// Nothing in WebGL holds a page back that draws faster than the GPU process renders: every
// frame's commands are queued, and the next call that needs an answer from the GPU (a shader
// link, a texture upload) waits for all of them, seconds or minutes with a software renderer,
// the sound starving meanwhile. A present therefore returns only once the frame before it has
// been rendered, as a native driver's present holds the program to a frame or so ahead of the
// GPU; the frame loop itself stays as fast as the two of them can go.

#include "platform/d3d8/GLContext.h"

#include "platform/d3d8/GLHeaders.h"
#include "platform/win32/BrowserPage.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>

namespace {

constexpr const char* kCanvas = "#canvas";

// clang-format off
EM_JS(void, TellPageFramePresented, (), {
    if (Module["onPresent"]) Module["onPresent"]();
});
// clang-format on

class BrowserGLContext final : public GLContext {
  public:
    explicit BrowserGLContext(EMSCRIPTEN_WEBGL_CONTEXT_HANDLE c) : context(c) {}
    ~BrowserGLContext() override {
        if (previousFrame != nullptr) {
            glDeleteSync(previousFrame);
        }
        emscripten_webgl_destroy_context(context);
    }
    BrowserGLContext(const BrowserGLContext&) = delete;
    BrowserGLContext& operator=(const BrowserGLContext&) = delete;

    void MakeCurrent() override { emscripten_webgl_make_context_current(context); }

    // A page in a background tab still runs (slowly); it is not a lost device.
    bool WindowHidden() override { return false; }

    void DrawableSize(int& width, int& height) override {
        emscripten_get_canvas_element_size(kCanvas, &width, &height);
    }

    // The browser shows the canvas once the program gives it its turn. A fence's status
    // changes only while the browser has its turn, so it is polled between turns; a wait gives
    // the browser a millisecond each time rather than spinning on the cores the GPU process
    // renders on.
    void Swap() override {
        TellPageFramePresented();
        GLsync frame = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
        glFlush();
        browser::Yield();
        if (previousFrame != nullptr) {
            while (glClientWaitSync(previousFrame, 0, 0) == GL_TIMEOUT_EXPIRED) {
                browser::Yield(1);
            }
            glDeleteSync(previousFrame);
        }
        previousFrame = frame;
    }

  private:
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context;
    GLsync previousFrame = nullptr; // fenced after the last frame's commands
};

} // namespace

bool HostHasDisplay() { return true; }

bool StartGLVideo() { return true; }

void StopGLVideo() {}

std::unique_ptr<GLContext> GLContext::Create(HWND window) {
    if (IsWindow(window) == FALSE) {
        return nullptr;
    }
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_FALSE; // the device draws into its own buffers
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.premultipliedAlpha = EM_FALSE;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context =
        emscripten_webgl_create_context(kCanvas, &attributes);
    if (context <= 0) {
        std::fprintf(stderr, "WebGL 2 context: not available (%d)\n", static_cast<int>(context));
        return nullptr;
    }
    emscripten_webgl_make_context_current(context);
    return std::make_unique<BrowserGLContext>(context);
}
