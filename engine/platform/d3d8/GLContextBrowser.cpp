// WebGL 2 on the page's canvas. The canvas keeps the page's size (the page follows the
// window); the device scales its picture into it.
//
// A hidden page and a lost context (a GPU reset, or the browser reclaiming it) are a hidden
// window: the device is lost, nothing is drawn, the music goes on. The loss is accepted
// (preventDefault), so the browser restores the context when it can; it comes back empty.
//
// Presents are paced by the browser's display frames (requestAnimationFrame): the program
// draws a frame, then waits for the next display frame, in which the browser shows it. Nothing
// in WebGL holds a page back that draws faster than the GPU process renders: every frame's
// commands are queued, and the next call that needs an answer from the GPU (a shader link, a
// texture upload) waits for all of them, seconds or minutes with a software renderer, the
// sound starving meanwhile. A present therefore also waits, a display frame at a time, until
// the frame before it has been rendered, as a native driver's present holds the program to a
// frame or so ahead of the GPU. On the capture host's virtual clock nothing is shown in real
// time, so a present there only gives the browser its turn.

#include "platform/d3d8/GLContext.h"

#include "platform/d3d8/GLHeaders.h"
#include "platform/win32/BrowserPage.h"
#include "platform/win32/Host.h"

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
    explicit BrowserGLContext(EMSCRIPTEN_WEBGL_CONTEXT_HANDLE c) : context(c) {
        emscripten_set_webglcontextlost_callback(kCanvas, this, EM_FALSE, OnLost);
        emscripten_set_webglcontextrestored_callback(kCanvas, this, EM_FALSE, OnRestored);
    }
    ~BrowserGLContext() override {
        emscripten_set_webglcontextlost_callback(kCanvas, nullptr, EM_FALSE, nullptr);
        emscripten_set_webglcontextrestored_callback(kCanvas, nullptr, EM_FALSE, nullptr);
        if (previousFrame != nullptr) {
            glDeleteSync(previousFrame);
        }
        emscripten_webgl_destroy_context(context);
    }
    BrowserGLContext(const BrowserGLContext&) = delete;
    BrowserGLContext& operator=(const BrowserGLContext&) = delete;

    void MakeCurrent() override { emscripten_webgl_make_context_current(context); }

    bool WindowHidden() override {
        EmscriptenVisibilityChangeEvent visibility{};
        emscripten_get_visibility_status(&visibility);
        return lost || visibility.hidden != EM_FALSE;
    }

    unsigned Generation() override { return generation; }

    void DrawableSize(int& width, int& height) override {
        emscripten_get_canvas_element_size(kCanvas, &width, &height);
    }

    void Swap() override {
        TellPageFramePresented();
        GLsync frame = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
        glFlush();
        const bool shown = !host::IsCapture();
        WaitForBrowser(shown);
        if (previousFrameGeneration != generation) {
            previousFrame = nullptr; // went with the lost context
        }
        if (previousFrame != nullptr) {
            while (glClientWaitSync(previousFrame, 0, 0) == GL_TIMEOUT_EXPIRED) {
                WaitForBrowser(shown);
            }
            glDeleteSync(previousFrame);
        }
        previousFrame = frame;
        previousFrameGeneration = generation;
    }

  private:
    // A fence's status changes only while the browser has its turn, so it is polled between
    // turns, never spun on.
    static void WaitForBrowser(bool shown) {
        if (shown) {
            browser::WaitForDisplayFrame();
        } else {
            browser::Yield();
        }
    }

    static EM_BOOL OnLost(int, const void*, void* self) {
        static_cast<BrowserGLContext*>(self)->lost = true;
        return EM_TRUE; // the browser may restore it
    }

    static EM_BOOL OnRestored(int, const void*, void* self) {
        auto* restored = static_cast<BrowserGLContext*>(self);
        restored->lost = false;
        ++restored->generation;
        return EM_TRUE;
    }

    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context;
    GLsync previousFrame = nullptr; // fenced after the last frame's commands
    unsigned previousFrameGeneration = 0;
    bool lost = false;
    unsigned generation = 0;
};

} // namespace

bool HostHasDisplay() {
    return true;
}

bool StartGLVideo() {
    return true;
}

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
