#include "support/FakeApplication.h"

#include <dlfcn.h>

#include <cstdlib>
#include <stdexcept>

FakeApplication::FakeApplication() {
    // Never a real window on someone's screen when a test is run by hand.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    // The offscreen window loads Mesa's EGL and software drivers and unloads them with the
    // last window, before the leak check runs, which then cannot attribute their known leaks
    // to them (tests/lsan.supp). Keep them mapped for the rest of the process.
    static const bool kept = [] {
        dlopen("libEGL_mesa.so.0", RTLD_NOW | RTLD_NODELETE);
        dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_NOW | RTLD_NODELETE);
        return true;
    }();
    (void)kept;
}

FakeApplication::~FakeApplication() { application.Release(); }

RecordingDevice& FakeApplication::Device() const {
    RecordingDevice* device = direct3D.LastDevice();
    if (device == nullptr) {
        throw std::logic_error("FakeApplication::Device before a successful Create");
    }
    return *device;
}

RecordingVertexBuffer& FakeApplication::VertexBuffer() const {
    auto* buffer = static_cast<RecordingVertexBuffer*>(application.GetVertexBuffer());
    if (buffer == nullptr) {
        throw std::logic_error("FakeApplication::VertexBuffer without a buffer");
    }
    return *buffer;
}

RecordingIndexBuffer& FakeApplication::IndexBuffer() const {
    auto* buffer = static_cast<RecordingIndexBuffer*>(application.GetIndexBuffer());
    if (buffer == nullptr) {
        throw std::logic_error("FakeApplication::IndexBuffer without a buffer");
    }
    return *buffer;
}
