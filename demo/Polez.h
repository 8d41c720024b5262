#pragma once
// A full-screen photograph behind the pole mesh, which turns about all three axes with the
// demo clock, chess-textured, lit with strong highlights, drawn from both sides and fogged
// towards the background grey. No clock of its own.

#include "demo/Scene.h"

#include <memory>

class Mesh;
class Camera;
class Texture;
class Material;
class Light;
class MeshRenderer;

class Polez : public Scene {
  public:
    Polez();
    ~Polez() override;

    SceneResult Init(Application* application) override;
    // `timer` is the demo clock; the music time is not used.
    SceneResult Render(Timer* timer, float seconds) override;
    void Release() override;

  private:
    Application* application = nullptr;
    std::unique_ptr<Mesh> poleMesh;
    std::unique_ptr<Mesh> quad;
    std::unique_ptr<Camera> meshCamera;
    std::unique_ptr<Texture> chessTexture;
    std::unique_ptr<Texture> photoTexture;
    std::unique_ptr<Material> material;
    std::unique_ptr<Light> light;
    std::unique_ptr<MeshRenderer> meshRenderer;
    bool initialized = false;
};
