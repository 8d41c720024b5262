#pragma once
// Draws one Mesh per Render with smooth per-vertex normals, through the application's shared
// dynamic buffers. A settings object: the setters only store; Render recomputes everything from
// the current mesh positions, draws once inside its own BeginScene/EndScene and puts every
// render and texture-stage state it touched back to the Direct3D default.
//
// Render results: 0; -28 device not usable; -30 no mesh; -31 no vertices; -37 more than 65536
// vertices; -38 no faces; -39 more than 65536 faces; -33 no camera; -34 lighting without a
// material (checked in that order, nothing done); then -38 also for a face index outside
// 0 .. vertexCount - 1 (nothing done); -35 vertex buffer lock failed (nothing drawn); -36 index
// buffer lock failed (vertices written, nothing drawn). No state is changed on any failure.

#include "effects/RendererResult.h"
#include "platform/d3d8/D3D8.h"

#include <vector>

class Application;
class Mesh;
class Camera;
class Texture;
class Material;
class Light;

class MeshRenderer {
  public:
    static constexpr int maxVertices = 65536;
    static constexpr int maxFaces = 65536;
    static constexpr int lightSlots = 4;

    explicit MeshRenderer(Application& application);

    void SetMesh(const Mesh* value) { mesh = value; }
    void SetCamera(const Camera* value) { camera = value; }
    void SetTexture(const Texture* value) { texture = value; }
    void SetMaterial(const Material* value) { material = value; }
    // Slots 1 to 4; any other slot is ignored. A null light empties the slot.
    void SetLight(int slot, const Light* light);

    // Radians; applied X first, then Y, then Z.
    void SetRotationX(float angle) { rotationX = angle; }
    void SetRotationY(float angle) { rotationY = angle; }
    void SetRotationZ(float angle) { rotationZ = angle; }

    // Diffuse colour of every vertex, 0xAARRGGBB.
    void SetColor(D3DCOLOR value) { color = value; }
    // Global ambient colour while lighting is on.
    void SetAmbient(D3DCOLOR value) { ambient = value; }

    void EnableDepthClear() { clearDepth = true; }
    void DisableDepthClear() { clearDepth = false; }
    // Source ONE (the default), destination ONE, no depth writes.
    void EnableAdditive() { additive = true; }
    void DisableAdditive() { additive = false; }
    // Disabled: both windings are drawn.
    void EnableCulling() { cullBackFaces = true; }
    void DisableCulling() { cullBackFaces = false; }
    void EnableLighting() { lighting = true; }
    void DisableLighting() { lighting = false; }
    // Only has an effect while lighting is on.
    void EnableSpecular() { specular = true; }
    void DisableSpecular() { specular = false; }

    EngineResult Render();

  private:
    EngineResult Validate() const;
    // False when a face index is out of range.
    bool ComputeNormals();
    void SetStates(IDirect3DDevice8& device) const;
    void RestoreStates(IDirect3DDevice8& device) const;

    Application& application;
    const Mesh* mesh = nullptr;
    const Camera* camera = nullptr;
    const Texture* texture = nullptr;
    const Material* material = nullptr;
    const Light* lights[lightSlots] = {};
    float rotationX = 0.0f;
    float rotationY = 0.0f;
    float rotationZ = 0.0f;
    D3DCOLOR color = 0x00FFFFFF;
    D3DCOLOR ambient = 0xFFFFFFFF;
    bool clearDepth = true;
    bool additive = false;
    bool cullBackFaces = true;
    bool lighting = false;
    bool specular = false;

    // Per-vertex normal accumulators (x, y, z); grown as needed and kept between calls.
    std::vector<D3DVECTOR> normals;
};
