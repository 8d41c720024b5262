#include "support/FakeApplication.h"

#include "support/GLDriverLeaks.h"

#include <cstdlib>
#include <stdexcept>

FakeApplication::FakeApplication() {
    // Never a real window on someone's screen when a test is run by hand.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    KeepGLDriverLoaded();
}

FakeApplication::~FakeApplication() {
    application.Release();
}

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
