#pragma once
// A real OpenGL device on a shown window (SDL's offscreen video driver under ctest), with the
// engine's vertex layout and helpers to draw and to read pixels back.

#include "platform/d3d8/D3D8.h"
#include "platform/d3d8/ReadBack.h"
#include "support/GLDriverLeaks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

struct SDL_Window;

// The engine's 0x152 vertex: position, normal, diffuse 0xAARRGGBB, one texture pair.
struct TestVertex {
    float x, y, z;
    float nx, ny, nz;
    std::uint32_t colour;
    float u, v;
};
static_assert(sizeof(TestVertex) == 36);

struct Rgb {
    int r, g, b;
};

class GLDeviceTest : public ::testing::Test {
  protected:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;

    static void SetUpTestSuite() { KeepGLDriverLoaded(); }
    void SetUp() override;
    void TearDown() override;

    // One draw of a triangle list from the shared buffers, bracketed by BeginScene/EndScene.
    void Draw(const std::vector<TestVertex>& vertices, const std::vector<std::uint16_t>& indices);
    // The same with vertices of another format: count vertices of stride bytes.
    void DrawFormat(DWORD fvf, const void* vertices, UINT count, UINT stride,
                    const std::vector<std::uint16_t>& indices);
    // Two triangles (0 1 2, 0 2 3) covering the quad, clockwise on screen when the corners go
    // top-left, top-right, bottom-right, bottom-left.
    void DrawQuad(const TestVertex& topLeft, const TestVertex& topRight,
                  const TestVertex& bottomRight, const TestVertex& bottomLeft);
    // A screen-filling quad at depth z (identity transforms), one colour.
    void DrawScreenQuad(std::uint32_t colour, float z = 0.5f);

    const ReadBackImage& Read(ReadBackSource source = ReadBackSource::Current);
    Rgb Pixel(int x, int y); // reads the current back buffer afresh
    // Writes the current back buffer to $VELLOMIRE_TEST_PNG_DIR/<name>.png when that is set.
    void SavePng(const std::string& name);

    HWND handle_ = nullptr;
    SDL_Window* window_ = nullptr;
    IDirect3D8* direct3d_ = nullptr;
    IDirect3DDevice8* device_ = nullptr;
    IDirect3DVertexBuffer8* vertexBuffer_ = nullptr;
    IDirect3DIndexBuffer8* indexBuffer_ = nullptr;
    D3DPRESENT_PARAMETERS parameters_{};
    ReadBackImage image_;
};

TestVertex Vertex(float x, float y, float z, std::uint32_t colour, float u = 0, float v = 0);

// Expects each channel within tolerance levels of the expected value.
::testing::AssertionResult Near(const Rgb& actual, const Rgb& expected, int tolerance = 0);

// A shown window of a test class with default handling; null on failure.
HWND OpenTestWindow();
