#pragma once
// A tunnel of ten additive textured squares along the view axis, each rebuilt on the CPU per
// frame: turning, shearing and circling the axis, each layer a little behind the one in front.
// After 12.75 s of the scene's own clock the picture changes and the motion reverses, under a
// white flash that fades out by 15 s.

#include "demo/Scene.h"

#include <memory>

class Mesh;
class Camera;
class Texture;
class MeshRenderer;

class Wendo : public Scene {
  public:
    Wendo();
    ~Wendo() override;

    SceneResult Init(Application* application) override;
    // `timer` is the demo clock; the scene's own clock starts at the first Render after Init
    // and is never restarted. The music time is not used.
    SceneResult Render(Timer* timer, float seconds) override;
    void Release() override;

  private:
    std::unique_ptr<Timer> sceneClock;
    Application* application = nullptr;
    std::unique_ptr<Mesh> quad;
    std::unique_ptr<Camera> camera;
    std::unique_ptr<Texture> firstTexture;
    std::unique_ptr<Texture> secondTexture;
    std::unique_ptr<MeshRenderer> meshRenderer;
    bool initialized = false;
};
