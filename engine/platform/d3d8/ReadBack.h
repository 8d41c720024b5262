#pragma once
// Reading the picture back from the OpenGL device, for tests and the capture tool.

#include "platform/d3d8/D3D8.h"

#include <cstdint>
#include <vector>

struct ReadBackImage {
    int width = 0; // pixels
    int height = 0;
    std::vector<std::uint8_t> rgb; // 8-bit R, G, B per pixel, rows top first, no padding
};

enum class ReadBackSource {
    Presented, // the colour buffer as the last Present showed it (black before the first)
    Current,   // the back buffer as it is now
};

// Play mode: the back-buffer size (640 x 480). Capture mode: host::Capture().width x height,
// each pixel the rounded mean of its supersample x supersample block. The image's vector is
// reused, so reading every frame into the same image allocates nothing after the first.
// False (image untouched) when the device is not the OpenGL device.
bool ReadBack(IDirect3DDevice8* device, ReadBackSource source, ReadBackImage& image);

// The OpenGL device that exists now, or null: the capture tool reads the show's frames back
// through it without owning the application.
IDirect3DDevice8* LiveGLDevice();
