#pragma once
// The spiked ball (13 - 52 s): every vertex of a sphere pushed out along its own ray by a
// wave over the surface and over time, drawn three times as spike-shaped billboards. The
// music time picks the phase: the ball alone emerging from fog, then from 26 s and from 39 s
// a banner behind and over it with a grey flash as it comes up.

#include "demo/Scene.h"

#include <memory>

class Application;
class BillboardRenderer;
class Camera;
class Mesh;
class MeshRenderer;
class Texture;
class Timer;

class Stekelz : public Scene {
  public:
    Stekelz();
    ~Stekelz() override;

    SceneResult Init(Application* application) override;
    // The frame timer's milliseconds drive the waves and the turning, the music time the phases.
    SceneResult Render(Timer* timer, float seconds) override;
    void Release() override;

  private:
    void DeformBall(const Timer& timer);
    void DrawBackdrop(const Texture& banner);
    void DrawOverlay(const Texture& banner, bool flash, float seconds, float start);

    Application* application = nullptr;
    std::unique_ptr<Mesh> ball;
    std::unique_ptr<Mesh> bannerQuad;
    std::unique_ptr<Camera> spikeCamera;
    std::unique_ptr<Texture> spikeTexture;
    std::unique_ptr<Texture> firstBanner;
    std::unique_ptr<Texture> secondBanner;
    std::unique_ptr<BillboardRenderer> billboardRenderer;
    std::unique_ptr<MeshRenderer> meshRenderer;
    bool initialized = false;
};
