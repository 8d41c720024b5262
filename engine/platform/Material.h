#pragma once
// A material laid out exactly as D3DMATERIAL8, handed to IDirect3DDevice8::SetMaterial as it
// is: device->SetMaterial(&material).

#include "platform/d3d8/D3D8.h"

#include <type_traits>

class Material : public D3DMATERIAL8 {
  public:
    // White diffuse and ambient reflectance with alpha 0; no specular, no emissive, power 0.
    Material();

    void SetDiffuse(float r, float g, float b, float a);
    void SetAmbient(float r, float g, float b, float a);
    void SetSpecular(float r, float g, float b, float a);
    void SetEmissive(float r, float g, float b, float a);
    void SetPower(float power);
};
static_assert(sizeof(Material) == sizeof(D3DMATERIAL8) && sizeof(Material) == 68);
static_assert(std::is_standard_layout_v<Material>);
