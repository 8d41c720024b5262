#include "GLTestDevice.h"

#include "platform/win32/SdlWindow.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <cstdlib>
#include <cstring>

HWND OpenTestWindow() {
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = "GLDeviceTest";
        return RegisterClassA(&windowClass) != 0;
    }();
    if (!registered) {
        return nullptr;
    }
    HWND window = CreateWindowExA(0, "GLDeviceTest", "gl test", WS_POPUP, 0, 0, 640, 480, nullptr,
                                  nullptr, nullptr, nullptr);
    if (window != nullptr) {
        ShowWindow(window, SW_SHOW);
    }
    return window;
}

void GLDeviceTest::SetUp() {
    handle_ = OpenTestWindow();
    ASSERT_NE(handle_, nullptr);
    window_ = SdlWindowOf(handle_);
    ASSERT_NE(window_, nullptr);
    direct3d_ = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(direct3d_, nullptr);
    parameters_.BackBufferWidth = kWidth;
    parameters_.BackBufferHeight = kHeight;
    parameters_.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters_.SwapEffect = D3DSWAPEFFECT_COPY;
    parameters_.hDeviceWindow = handle_;
    parameters_.EnableAutoDepthStencil = TRUE;
    parameters_.AutoDepthStencilFormat = D3DFMT_D16;
    parameters_.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    ASSERT_EQ(direct3d_->CreateDevice(0, D3DDEVTYPE_HAL, handle_, 0x50, &parameters_, &device_),
              D3D_OK);
    ASSERT_EQ(device_->CreateVertexBuffer(65536 * 36, D3DUSAGE_DYNAMIC, 0x152, D3DPOOL_DEFAULT,
                                          &vertexBuffer_),
              D3D_OK);
    ASSERT_EQ(device_->CreateIndexBuffer(196608 * 2, D3DUSAGE_DYNAMIC, D3DFMT_INDEX16,
                                         D3DPOOL_DEFAULT, &indexBuffer_),
              D3D_OK);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
}

void GLDeviceTest::TearDown() {
    if (indexBuffer_ != nullptr) {
        indexBuffer_->Release();
    }
    if (vertexBuffer_ != nullptr) {
        vertexBuffer_->Release();
    }
    if (device_ != nullptr) {
        device_->Release();
    }
    if (direct3d_ != nullptr) {
        direct3d_->Release();
    }
    if (handle_ != nullptr) {
        DestroyWindow(handle_);
    }
}

void GLDeviceTest::Draw(const std::vector<TestVertex>& vertices,
                        const std::vector<std::uint16_t>& indices) {
    DrawFormat(0x152, vertices.data(), static_cast<UINT>(vertices.size()), sizeof(TestVertex),
               indices);
}

void GLDeviceTest::DrawFormat(DWORD fvf, const void* vertices, UINT count, UINT stride,
                              const std::vector<std::uint16_t>& indices) {
    BYTE* data = nullptr;
    ASSERT_EQ(vertexBuffer_->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, vertices, static_cast<std::size_t>(count) * stride);
    vertexBuffer_->Unlock();
    ASSERT_EQ(indexBuffer_->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, indices.data(), indices.size() * 2);
    indexBuffer_->Unlock();
    device_->SetStreamSource(0, vertexBuffer_, stride);
    device_->SetVertexShader(fvf);
    device_->SetIndices(indexBuffer_, 0);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, count, 0,
                                            static_cast<UINT>(indices.size() / 3)),
              D3D_OK);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
}

void GLDeviceTest::DrawQuad(const TestVertex& topLeft, const TestVertex& topRight,
                            const TestVertex& bottomRight, const TestVertex& bottomLeft) {
    Draw({topLeft, topRight, bottomRight, bottomLeft}, {0, 1, 2, 0, 2, 3});
}

void GLDeviceTest::DrawScreenQuad(std::uint32_t colour, float z) {
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    DrawQuad(Vertex(-1, 1, z, colour, 0, 0), Vertex(1, 1, z, colour, 1, 0),
             Vertex(1, -1, z, colour, 1, 1), Vertex(-1, -1, z, colour, 0, 1));
}

const ReadBackImage& GLDeviceTest::Read(ReadBackSource source) {
    EXPECT_TRUE(ReadBack(device_, source, image_));
    return image_;
}

Rgb GLDeviceTest::Pixel(int x, int y) {
    Read();
    const std::uint8_t* p = &image_.rgb[(static_cast<std::size_t>(y) * image_.width + x) * 3];
    return Rgb{p[0], p[1], p[2]};
}

void GLDeviceTest::SavePng(const std::string& name) {
    const char* folder = std::getenv("VELLOMIRE_TEST_PNG_DIR");
    if (folder == nullptr) {
        return;
    }
    Read();
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom(image_.rgb.data(), image_.width, image_.height, 24,
                                           image_.width * 3, SDL_PIXELFORMAT_RGB24);
    if (surface != nullptr) {
        IMG_SavePNG(surface, (std::string(folder) + "/" + name + ".png").c_str());
        SDL_FreeSurface(surface);
    }
}

TestVertex Vertex(float x, float y, float z, std::uint32_t colour, float u, float v) {
    return TestVertex{x, y, z, 0, 0, -1, colour, u, v};
}

::testing::AssertionResult Near(const Rgb& actual, const Rgb& expected, int tolerance) {
    if (std::abs(actual.r - expected.r) <= tolerance &&
        std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "got (" << actual.r << ", " << actual.g << ", " << actual.b << "), expected ("
           << expected.r << ", " << expected.g << ", " << expected.b << ") within " << tolerance;
}
