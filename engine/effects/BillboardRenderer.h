#pragma once
// Draws the vertices of a Mesh as camera-facing squares (particles), blended onto the frame
// without depth writes, in one indexed draw through the application's shared dynamic buffers.
// Faces and texture coordinates of the mesh are ignored. A settings object like MeshRenderer:
// Render rebuilds all geometry and restores every state it touched to the Direct3D default.
//
// Render results: 0; -28 device not usable; -30 no mesh; -31 no vertices; -32 more than 16384
// particles; -33 no camera (checked in that order, nothing done); -35 vertex buffer lock failed;
// -36 index buffer lock failed (vertices written, nothing drawn). No state is changed on any
// failure.

#include "effects/RendererResult.h"
#include "platform/d3d8/D3D8.h"

class Application;
class Mesh;
class Camera;
class Texture;

class BillboardRenderer {
  public:
    // 4 vertices per particle fill the 65536-vertex shared buffer.
    static constexpr int maxParticles = 16384;

    explicit BillboardRenderer(Application& application);

    void SetMesh(const Mesh* value) { mesh = value; }
    void SetCamera(const Camera* value) { camera = value; }
    // Without a texture the stage-0 texture binding is left as it is (normally none: white).
    void SetTexture(const Texture* value) { texture = value; }

    // Rotation of the whole cloud about the origin, radians, X first, then Y, then Z.
    void SetRotationX(float angle) { rotationX = angle; }
    void SetRotationY(float angle) { rotationY = angle; }
    void SetRotationZ(float angle) { rotationZ = angle; }

    // Half the edge length of every square, world units.
    void SetSize(float value) { size = value; }
    // Diffuse colour of every corner, 0xAARRGGBB; its alpha plays no part in blending.
    void SetColor(D3DCOLOR value) { color = value; }

    void EnableDepthClear() { clearDepth = true; }
    void DisableDepthClear() { clearDepth = false; }
    // Pins the left-top corner of every square to the plane z = 0 and draws both sides.
    void EnableSpikes() { spikes = true; }
    void DisableSpikes() { spikes = false; }
    // Blend SRCALPHASAT / SRCCOLOR instead of SRCALPHA / ONE.
    void EnableSaturatedBlend() { saturatedBlend = true; }
    void DisableSaturatedBlend() { saturatedBlend = false; }

    EngineResult Render();

  private:
    EngineResult Validate() const;
    void SetStates(IDirect3DDevice8& device) const;
    void RestoreStates(IDirect3DDevice8& device) const;

    Application& application;
    const Mesh* mesh = nullptr;
    const Camera* camera = nullptr;
    const Texture* texture = nullptr;
    float rotationX = 0.0f;
    float rotationY = 0.0f;
    float rotationZ = 0.0f;
    float size = 0.15f;
    D3DCOLOR color = 0xFFFFFFFF;
    bool clearDepth = true;
    bool spikes = false;
    bool saturatedBlend = false;
};
