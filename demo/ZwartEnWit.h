#pragma once
// Over the background grey: a white cloud of particles blended additively and a black one that
// darkens what lies behind it, turning slowly in opposite senses; then a checker-textured
// landscape from a heightmap, lit with highlights and fogged, turning about the vertical axis,
// seen from a camera flying along a fixed path; and a flat blue sheet at height -13.45 that
// cuts through it as water in the valleys.

#include "demo/Scene.h"

#include <memory>

class Mesh;
class Camera;
class Texture;
class MeshRenderer;
class BillboardRenderer;

class ZwartEnWit : public Scene {
  public:
    static constexpr int cloudPoints = 1500;

    ZwartEnWit();
    ~ZwartEnWit() override;

    // Builds both clouds from the process-wide generator (3 values per point, white cloud
    // first; the generator is not reseeded), then loads the heightmap and the textures.
    SceneResult Init(Application* application) override;
    // `timer` is the demo clock and turns the clouds and the landscape; the camera path runs
    // on the scene's own clock, which starts at the first Render after Init and is never
    // restarted. The music time is not used.
    SceneResult Render(Timer* timer, float seconds) override;
    void Release() override;

    // Puts `camera` where the landscape camera is `t` seconds into the scene's clock: along
    // seven keyframes with cosine easing up to 29.5 s; outside that span the position and
    // target are left as they are (a default camera stays at (0, 0, -4) looking at the origin).
    static void PlaceLandscapeCamera(Camera& camera, float t);

  private:
    std::unique_ptr<Timer> sceneClock;
    Application* application = nullptr;
    std::unique_ptr<Mesh> whiteCloud;
    std::unique_ptr<Mesh> blackCloud;
    std::unique_ptr<Mesh> landscape;
    std::unique_ptr<Camera> particleCamera;
    std::unique_ptr<Texture> whiteParticleTexture;
    std::unique_ptr<Texture> blackParticleTexture;
    std::unique_ptr<Texture> checkerTexture;
    std::unique_ptr<Texture> sheetTexture;
    std::unique_ptr<MeshRenderer> meshRenderer;
    std::unique_ptr<BillboardRenderer> billboardRenderer;
    bool initialized = false;
};
