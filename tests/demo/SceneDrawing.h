#pragma once
// Reading back what a scene handed to the recording device.

#include "support/RecordingDevice.h"

#include <bit>
#include <cstring>

// Vertex i of a draw's vertex data (36-byte vertices: position, normal, colour, texture pair).
inline D3DVECTOR DrawnPosition(const RecordedDraw& draw, int i) {
    D3DVECTOR position{};
    std::memcpy(&position, draw.vertexData.data() + 36 * i, sizeof position);
    return position;
}

inline D3DCOLOR DrawnColor(const RecordedDraw& draw, int i) {
    D3DCOLOR color = 0;
    std::memcpy(&color, draw.vertexData.data() + 36 * i + 24, sizeof color);
    return color;
}

inline DWORD FloatBits(float value) {
    return std::bit_cast<DWORD>(value);
}
