#pragma once
// A light description laid out exactly as D3DLIGHT8, so that it is handed to
// IDirect3DDevice8::SetLight as it is: device->SetLight(0, &light).

#include "platform/d3d8/D3D8.h"

#include <type_traits>

class Light : public D3DLIGHT8 {
  public:
    // A white directional light shining along +z; diffuse alpha 0; everything else zero.
    Light();

    void SetType(D3DLIGHTTYPE type);
    void SetDiffuse(float r, float g, float b, float a);
    void SetSpecular(float r, float g, float b, float a);
    void SetAmbient(float r, float g, float b, float a);
    void SetPosition(float x, float y, float z);
    void SetDirection(float x, float y, float z);
    void SetRange(float range);
    void SetFalloff(float falloff);
    void SetAttenuation(float a0, float a1, float a2);
    void SetTheta(float theta);
    void SetPhi(float phi);
};
static_assert(sizeof(Light) == sizeof(D3DLIGHT8) && sizeof(Light) == 104);
static_assert(std::is_standard_layout_v<Light>);
