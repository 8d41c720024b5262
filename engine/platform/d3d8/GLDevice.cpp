#include "platform/d3d8/GLDevice.h"

#include "platform/d3d8/ReadBack.h"
#include "platform/win32/Host.h"

#include <algorithm>
#include <cstring>
#include <new>

HRESULT GLDevice::Create(HWND window, const D3DPRESENT_PARAMETERS& parameters,
                         IDirect3DDevice8** device) {
    *device = nullptr;
    if (parameters.BackBufferWidth == 0 || parameters.BackBufferHeight == 0 ||
        (parameters.EnableAutoDepthStencil && parameters.AutoDepthStencilFormat != D3DFMT_D16)) {
        return D3DERR_INVALIDCALL;
    }
    auto* created = new (std::nothrow) GLDevice(window);
    if (created == nullptr) {
        return E_OUTOFMEMORY;
    }
    const HRESULT result = created->Init(parameters);
    if (FAILED(result)) {
        created->Release();
        return result;
    }
    *device = created;
    return D3D_OK;
}

namespace {
GLDevice* liveDevice = nullptr; // there is at most one device at a time
}

IDirect3DDevice8* LiveGLDevice() {
    return liveDevice;
}

GLDevice::GLDevice(HWND window) : window_(window) {
    liveDevice = this;
}

GLDevice::~GLDevice() {
    if (liveDevice == this) {
        liveDevice = nullptr;
    }
}

HRESULT GLDevice::Init(const D3DPRESENT_PARAMETERS& parameters) {
    parameters_ = parameters;
    context_ = GLContext::Create(window_);
    if (context_ == nullptr) {
        return D3DERR_NOTAVAILABLE;
    }
    generation_ = context_->Generation();

    int width = static_cast<int>(parameters.BackBufferWidth);
    int height = static_cast<int>(parameters.BackBufferHeight);
    if (host::IsCapture()) {
        supersample_ = std::max(1, host::Capture().supersample);
        width = host::Capture().width * supersample_;
        height = host::Capture().height * supersample_;
    } else {
        PlaySize(width, height);
    }
    if (!MakeTargets(width, height)) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    InitGLState();
    SetDefaultStates();
    return D3D_OK;
}

void GLDevice::PlaySize(int& width, int& height) {
    const host::PlayResolution& asked = host::Resolution();
    int outerWidth = asked.width;
    int outerHeight = asked.height;
    if (asked.native) {
        context_->DrawableSize(outerWidth, outerHeight);
    }
    GLint largest = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    const host::PictureSize picture =
        host::PictureFor(std::min(outerWidth, largest), std::min(outerHeight, largest));
    if (picture.width > 0) {
        width = picture.width;
        height = picture.height;
    }
}

bool GLDevice::MakeTargets(int width, int height) {
    DestroyTargets();
    renderWidth_ = width;
    renderHeight_ = height;
    glGenFramebuffers(1, &framebuffer_);
    glGenRenderbuffers(1, &colourBuffer_);
    glGenRenderbuffers(1, &depthBuffer_);
    glGenFramebuffers(1, &presentedFramebuffer_);
    glGenRenderbuffers(1, &presentedColourBuffer_);

    glBindRenderbuffer(GL_RENDERBUFFER, presentedColourBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, presentedFramebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                              presentedColourBuffer_);
    bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);

    glBindRenderbuffer(GL_RENDERBUFFER, colourBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
    complete = complete && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glViewport(0, 0, width, height);
    glDepthMask(GL_TRUE);
    GLClearDepth(1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    dirty_ |= kDirtyDepth | kDirtyProjection;
    return complete;
}

void GLDevice::DestroyTargets() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteFramebuffers(1, &presentedFramebuffer_);
    glDeleteRenderbuffers(1, &colourBuffer_);
    glDeleteRenderbuffers(1, &depthBuffer_);
    glDeleteRenderbuffers(1, &presentedColourBuffer_);
    framebuffer_ = presentedFramebuffer_ = colourBuffer_ = depthBuffer_ = 0;
    presentedColourBuffer_ = 0;
}

void GLDevice::InitGLState() {
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const bool es = version != nullptr && std::strncmp(version, "OpenGL ES", 9) == 0;
    programs_.SetDialect(es ? GLSLDialect::Es300 : GLSLDialect::Core330);

    // Direct3D's front faces are clockwise on screen; rendered top row first, that is
    // counter-clockwise in GL's window coordinates.
    glFrontFace(GL_CCW);
    GLFirstVertexProvokes();
    glDisable(GL_DITHER);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    glGenVertexArrays(1, &vertexArray_);
    glBindVertexArray(vertexArray_);
    glGenBuffers(1, &vertexBuffer_);
    glGenBuffers(1, &indexBuffer_);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    glGenBuffers(1, &uniformBuffer_);
    glBindBuffer(GL_UNIFORM_BUFFER, uniformBuffer_);
    glBufferData(GL_UNIFORM_BUFFER, sizeof uniforms_, nullptr, GL_DYNAMIC_DRAW);
    glBindBufferBase(GL_UNIFORM_BUFFER, 0, uniformBuffer_);

    // An unbound texture samples as opaque white.
    const GLubyte white[4] = {255, 255, 255, 255};
    glActiveTexture(GL_TEXTURE0);
    glGenTextures(1, &whiteTexture_);
    glBindTexture(GL_TEXTURE_2D, whiteTexture_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
}

ULONG GLDevice::Release() {
    if (context_ != nullptr) {
        context_->MakeCurrent();
        for (GLResource* resource : resources_) {
            resource->Orphan();
        }
        resources_.clear();
        programs_.Release();
        glDeleteBuffers(1, &uniformBuffer_);
        glDeleteBuffers(1, &indexBuffer_);
        glDeleteBuffers(1, &vertexBuffer_);
        glDeleteVertexArrays(1, &vertexArray_);
        glDeleteTextures(1, &whiteTexture_);
        DestroyTargets();
        context_.reset();
    }
    delete this;
    return 0;
}

// A context that came back after a loss holds none of the device's objects (their names are
// dropped, not deleted: they belong to the lost context): they are made again, textures from
// their managed copies, and every state is applied afresh.
bool GLDevice::RemakeGLObjects() {
    programs_.Forget();
    framebuffer_ = presentedFramebuffer_ = colourBuffer_ = depthBuffer_ = 0;
    presentedColourBuffer_ = uniformBuffer_ = indexBuffer_ = vertexBuffer_ = 0;
    vertexArray_ = whiteTexture_ = 0;
    if (!MakeTargets(renderWidth_, renderHeight_)) {
        return false;
    }
    InitGLState();
    for (GLResource* resource : resources_) {
        resource->Remake();
    }
    program_ = 0;
    dirty_ = kDirtyAll;
    generation_ = context_->Generation();
    return true;
}

void GLDevice::Track(GLResource* resource) {
    resources_.push_back(resource);
}

void GLDevice::Forget(GLResource* resource) {
    auto found = std::find(resources_.begin(), resources_.end(), resource);
    if (found != resources_.end()) {
        resources_.erase(found);
    }
    if (resource == static_cast<GLResource*>(texture_)) {
        texture_ = nullptr;
        dirty_ |= kDirtyTexture;
    }
    if (resource == static_cast<GLResource*>(stream_)) {
        stream_ = nullptr;
    }
    if (resource == static_cast<GLResource*>(indices_)) {
        indices_ = nullptr;
    }
}

bool GLDevice::PixelWork() const {
    return host::DrawingEnabled() && !lost_;
}

bool GLDevice::WindowGone() const {
    if (host::IsCapture()) {
        return false;
    }
    return context_->WindowHidden();
}

HRESULT GLDevice::TestCooperativeLevel() {
    if (WindowGone()) {
        lost_ = true;
        return D3DERR_DEVICELOST;
    }
    // A context lost and back between two tests still needs the reset that remakes its objects.
    lost_ = lost_ || context_->Generation() != generation_;
    return lost_ ? D3DERR_DEVICENOTRESET : D3D_OK;
}

HRESULT GLDevice::Reset(D3DPRESENT_PARAMETERS* parameters) {
    if (parameters == nullptr || parameters->BackBufferWidth == 0 ||
        parameters->BackBufferHeight == 0) {
        return D3DERR_INVALIDCALL;
    }
    if (WindowGone()) {
        lost_ = true;
        return D3DERR_DEVICELOST;
    }
    const bool resized = parameters->BackBufferWidth != parameters_.BackBufferWidth ||
                         parameters->BackBufferHeight != parameters_.BackBufferHeight;
    parameters_ = *parameters;
    if (context_->Generation() != generation_ && !RemakeGLObjects()) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    if (resized && !host::IsCapture()) {
        if (!MakeTargets(static_cast<int>(parameters_.BackBufferWidth),
                         static_cast<int>(parameters_.BackBufferHeight))) {
            return D3DERR_DRIVERINTERNALERROR;
        }
    }
    lost_ = false;
    inScene_ = false;
    texture_ = nullptr;
    stream_ = nullptr;
    indices_ = nullptr;
    SetDefaultStates();
    return D3D_OK;
}

HRESULT GLDevice::Present(const RECT*, const RECT*, HWND, const RGNDATA*) {
    if (lost_ || WindowGone()) {
        lost_ = true;
        return D3DERR_DEVICELOST;
    }
    if (host::DrawingEnabled()) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, presentedFramebuffer_);
        glBlitFramebuffer(0, 0, renderWidth_, renderHeight_, 0, 0, renderWidth_, renderHeight_,
                          GL_COLOR_BUFFER_BIT, GL_NEAREST);
    }
    if (host::IsCapture()) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        host::NotifyPresent();
        return D3D_OK;
    }

    // The whole picture, scaled to the window with its shape kept; black bars around it.
    int drawableWidth = 0;
    int drawableHeight = 0;
    context_->DrawableSize(drawableWidth, drawableHeight);
    const long long pictureWidth = parameters_.BackBufferWidth;
    const long long pictureHeight = parameters_.BackBufferHeight;
    long long width = drawableWidth;
    long long height = drawableWidth * pictureHeight / pictureWidth;
    if (height > drawableHeight) {
        height = drawableHeight;
        width = drawableHeight * pictureWidth / pictureHeight;
    }
    const auto x = static_cast<GLint>((drawableWidth - width) / 2);
    const auto y = static_cast<GLint>((drawableHeight - height) / 2);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, presentedFramebuffer_);
    glViewport(0, 0, drawableWidth, drawableHeight);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const bool sameSize = width == renderWidth_ && height == renderHeight_;
    // The colour buffer holds the picture top row first; the window wants it bottom row first.
    glBlitFramebuffer(0, 0, renderWidth_, renderHeight_, x, y + static_cast<GLint>(height),
                      x + static_cast<GLint>(width), y, GL_COLOR_BUFFER_BIT,
                      sameSize ? GL_NEAREST : GL_LINEAR);
    context_->Swap();
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, renderWidth_, renderHeight_);
    return D3D_OK;
}

HRESULT GLDevice::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                        DWORD) {
    if ((flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER)) != 0) {
        return D3DERR_INVALIDCALL;
    }
    // As Direct3D counts them: rectangles with a count of 0 clear nothing, a count without
    // rectangles clears the whole target.
    if (!PixelWork() || flags == 0 || (count == 0 && rects != nullptr)) {
        return D3D_OK;
    }
    GLbitfield mask = 0;
    if ((flags & D3DCLEAR_TARGET) != 0) {
        glClearColor(static_cast<float>((color >> 16) & 0xFF) / 255.0f,
                     static_cast<float>((color >> 8) & 0xFF) / 255.0f,
                     static_cast<float>(color & 0xFF) / 255.0f, 1.0f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if ((flags & D3DCLEAR_ZBUFFER) != 0) {
        glDepthMask(GL_TRUE); // GL clears depth only where depth writes are on
        GLClearDepth(std::clamp(z, 0.0f, 1.0f));
        mask |= GL_DEPTH_BUFFER_BIT;
        dirty_ |= kDirtyDepth;
    }
    if (rects == nullptr) {
        glClear(mask);
        return D3D_OK;
    }
    // Rectangles are in back-buffer pixels, top row 0; the colour buffer may be larger.
    const double sx = static_cast<double>(renderWidth_) / parameters_.BackBufferWidth;
    const double sy = static_cast<double>(renderHeight_) / parameters_.BackBufferHeight;
    glEnable(GL_SCISSOR_TEST);
    for (DWORD i = 0; i < count; ++i) {
        const D3DRECT& r = rects[i];
        const int x1 = std::clamp(static_cast<int>(r.x1 * sx), 0, renderWidth_);
        const int x2 = std::clamp(static_cast<int>(r.x2 * sx), 0, renderWidth_);
        const int y1 = std::clamp(static_cast<int>(r.y1 * sy), 0, renderHeight_);
        const int y2 = std::clamp(static_cast<int>(r.y2 * sy), 0, renderHeight_);
        if (x2 <= x1 || y2 <= y1) {
            continue;
        }
        glScissor(x1, y1, x2 - x1, y2 - y1);
        glClear(mask);
    }
    glDisable(GL_SCISSOR_TEST);
    return D3D_OK;
}

HRESULT GLDevice::CreateVertexBuffer(UINT length, DWORD, DWORD fvf, D3DPOOL,
                                     IDirect3DVertexBuffer8** buffer) {
    if (buffer == nullptr || length == 0) {
        return D3DERR_INVALIDCALL;
    }
    GLVertexBuffer* created = GLVertexBuffer::Create(this, length, fvf);
    *buffer = created;
    if (created == nullptr) {
        return E_OUTOFMEMORY;
    }
    Track(created);
    return D3D_OK;
}

HRESULT GLDevice::CreateIndexBuffer(UINT length, DWORD, D3DFORMAT format, D3DPOOL,
                                    IDirect3DIndexBuffer8** buffer) {
    if (buffer == nullptr || length < 2 || format != D3DFMT_INDEX16) {
        return D3DERR_INVALIDCALL;
    }
    GLIndexBuffer* created = GLIndexBuffer::Create(this, length);
    *buffer = created;
    if (created == nullptr) {
        return E_OUTOFMEMORY;
    }
    Track(created);
    return D3D_OK;
}

HRESULT GLDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD, D3DFORMAT format,
                                D3DPOOL pool, IDirect3DTexture8** texture) {
    if (texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *texture = nullptr;
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (width == 0 || height == 0 || width > static_cast<UINT>(largest) ||
        height > static_cast<UINT>(largest) || levels > 1 ||
        (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8)) {
        return D3DERR_INVALIDCALL;
    }
    GLTexture* created = GLTexture::Create(this, width, height, format, pool);
    if (created == nullptr) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    Track(created);
    *texture = created;
    return D3D_OK;
}

bool GLDevice::ReadBack(bool presented, ReadBackImage& image) {
    const int ss = supersample_;
    const int width = renderWidth_ / ss;
    const int height = renderHeight_ / ss;
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    // ES reads only RGBA for certain. Desktop GL reads RGB, without supersampling straight into
    // the image.
    constexpr int channels = kOpenGLES ? 4 : 3;
    const bool direct = ss == 1 && !kOpenGLES;
    std::vector<std::uint8_t>& pixels = direct ? image.rgb : readPixels_;
    pixels.resize(static_cast<std::size_t>(renderWidth_) * renderHeight_ * channels);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, presented ? presentedFramebuffer_ : framebuffer_);
    glReadPixels(0, 0, renderWidth_, renderHeight_, kOpenGLES ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE,
                 pixels.data());
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    if (direct) {
        return true;
    }

    const std::size_t rowBytes = static_cast<std::size_t>(renderWidth_) * channels;
    const unsigned samples = static_cast<unsigned>(ss * ss);
    for (int y = 0; y < height; ++y) {
        // The colour buffer holds the picture top row first.
        std::uint8_t* out = &image.rgb[static_cast<std::size_t>(y) * width * 3];
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) {
                unsigned sum = 0;
                for (int dy = 0; dy < ss; ++dy) {
                    const std::uint8_t* row = &readPixels_[(y * ss + dy) * rowBytes];
                    for (int dx = 0; dx < ss; ++dx) {
                        sum += row[(x * ss + dx) * channels + c];
                    }
                }
                out[x * 3 + c] = static_cast<std::uint8_t>((sum + samples / 2) / samples);
            }
        }
    }
    return true;
}
