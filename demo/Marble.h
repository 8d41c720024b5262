#pragma once
// The show's last scene. By its own clock t (seconds since its first rendered frame): the
// self-playing marble puzzle as lit, turning marbles over a background picture, with a white
// flash fading out over the first 2 s and another building up from 23.5 s to 25.75 s; from
// 25.75 s to 49 s a fogged cloud of 250 random triangles between two draws of a banner,
// fading to black from 40 s to 44 s; after 49 s the puzzle again.

#include "demo/MarblePuzzle.h"
#include "demo/Scene.h"
#include "platform/Camera.h"
#include "platform/Light.h"
#include "platform/Material.h"

class Mesh;
class MeshRenderer;
class Texture;

// What the scene shows at its own time t, in seconds.
namespace marble_timing {
// Puzzle before 25.75 s and after 49 s, the cloud from 25.75 s to 49 s inclusive.
bool IsPuzzleFrame(float t);
// Grey level of the opening flash for 0 <= t <= 2: 190 at 0 down to 0 at 2.
int OpeningFlashGrey(float t);
// Grey level of the closing flash for 23.5 <= t <= 25.75: 0 at 23.5 up to 180 at 25.75.
int ClosingFlashGrey(float t);
// Colour of every cloud-frame draw: white, then grey 255 falling to 1 from 40 s to 44 s,
// then 0.
D3DCOLOR CloudColour(float t);
// `colour` (red, green and blue) scaled by the grey of `fade`, 255 keeping it as it is.
D3DCOLOR Faded(D3DCOLOR colour, D3DCOLOR fade);
} // namespace marble_timing

class Marble : public Scene {
  public:
    Marble() = default;
    ~Marble() override;

    SceneResult Init(Application* application) override;
    // Draws with the driver's timer (its milliseconds turn the marbles and the cloud and pace
    // the puzzle); the music time is not used.
    SceneResult Render(Timer* timer, float seconds) override;
    void Release() override;

  private:
    void RenderPuzzle(Timer& timer, float t);
    void RenderCloud(Timer& timer, float t);
    void DrawFlash(int grey);
    void DrawBanner();
    // One renderer draw; a failure goes to the debugger output and the frame goes on.
    void Draw();

    Timer* sceneClock = nullptr;
    BoardCell* board = nullptr;
    Application* application = nullptr;
    Mesh* marbleMesh = nullptr;
    Mesh* quad = nullptr;
    Mesh* cloud = nullptr;
    Camera* marbleCamera = nullptr;
    Texture* marbleTextures[4] = {};
    Texture* backgroundTexture = nullptr;
    Texture* bannerTexture = nullptr;
    Texture* cloudTexture = nullptr;
    Material* material = nullptr;
    Light* light = nullptr;
    MeshRenderer* renderer = nullptr;
    bool initialised = false;

    // Built afresh with their defaults in every frame that uses them; kept here only so that
    // the renderer never holds the address of an object that has gone.
    Camera view;
    Camera flashCamera;
    Material cloudMaterial;
    Light cloudLight;
};
