#pragma once
// The boiling blob: a textured, lit sphere whose vertices are pushed out along their own rays
// every frame, seen from a tumbling orbit. Shown twice (0 - 13 s and 52 - 66.5 s) on its own
// clock, which starts at its first frame and keeps running in between: fogged in the first
// showing, joined from 15 s on by a particle on every vertex and a logo that swells on the
// music's accents.

#include "demo/Scene.h"
#include "platform/d3d8/D3D8.h"

#include <memory>

class Application;
class BillboardRenderer;
class Camera;
class Light;
class Material;
class Mesh;
class MeshRenderer;
class Texture;
class Timer;

class Schtar : public Scene {
  public:
    Schtar();
    ~Schtar() override;

    SceneResult Init(Application* application) override;
    // Animates by the scene clock and the frame timer's milliseconds; the music time is unused.
    SceneResult Render(Timer* timer, float seconds) override;
    void Release() override;

  private:
    void BoilBlob(const Timer& timer);
    void DrawParticlesAndLogo(const Timer& timer, float t, const D3DMATRIX& orbit);

    std::unique_ptr<Timer> sceneClock; // absent until the first Render after Init
    Application* application = nullptr;
    std::unique_ptr<Mesh> blob;
    std::unique_ptr<Mesh> logoQuad;
    std::unique_ptr<Camera> blobCamera;
    std::unique_ptr<Camera> particleCamera;
    std::unique_ptr<Texture> blobTexture;
    std::unique_ptr<Texture> logoTexture;
    std::unique_ptr<Texture> particleTexture;
    std::unique_ptr<Material> material;
    std::unique_ptr<Light> light;
    std::unique_ptr<BillboardRenderer> billboardRenderer;
    std::unique_ptr<MeshRenderer> meshRenderer;
    bool initialized = false;
};
