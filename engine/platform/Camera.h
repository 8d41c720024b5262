#pragma once
// Where the viewer is, what it looks at and its vertical field of view (radians). The
// renderers turn it into a left-handed look-at view and a left-handed perspective projection.

#include "platform/d3d8/D3D8.h"

class Camera {
  public:
    D3DVECTOR position{0.0f, 0.0f, -4.0f};
    D3DVECTOR target{0.0f, 0.0f, 0.0f};
    float fieldOfView = 0.785398163f; // pi/4, bits 0x3F490FDB

    void SetPosition(float x, float y, float z) { position = {x, y, z}; }
    void SetTarget(float x, float y, float z) { target = {x, y, z}; }
    void SetFieldOfView(float radians) { fieldOfView = radians; }
};
static_assert(sizeof(Camera) == 7 * sizeof(float));
