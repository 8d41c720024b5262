#pragma once
// A textured ball that wobbles and twists with the demo clock, lit with a blue highlight and
// drawn three times, additively and from both sides, each copy turned a little further. In
// front of it three greeting cards sweep across the view one after another, on the scene's
// own clock: 2.5 s to 10 s, 10 s to 17.5 s and 17.5 s to 26 s.

#include "demo/Scene.h"

#include <memory>

class Mesh;
class Camera;
class Texture;
class Material;
class Light;
class MeshRenderer;

class Test : public Scene {
  public:
    static constexpr int cardCount = 3;

    Test();
    ~Test() override;

    SceneResult Init(Application* application) override;
    // `timer` is the demo clock and drives the ball; the cards follow the scene's own clock,
    // which starts at the first Render after Init and is never restarted. The music time is
    // not used.
    SceneResult Render(Timer* timer, float seconds) override;
    void Release() override;

  private:
    // Rewrites the ball's positions from its rest positions for the demo clock's time.
    void DeformBall(const Timer& timer);
    void DrawBall(const Timer& timer);
    void DrawCards(float t);

    std::unique_ptr<Timer> sceneClock;
    Application* application = nullptr;
    std::unique_ptr<Mesh> ball;
    std::unique_ptr<Mesh> cardQuad;
    std::unique_ptr<Camera> ballCamera;
    std::unique_ptr<Texture> ballTexture;
    std::unique_ptr<Texture> cardTextures[cardCount];
    std::unique_ptr<Material> material;
    std::unique_ptr<Light> light;
    std::unique_ptr<MeshRenderer> meshRenderer;
    bool initialized = false;
};
