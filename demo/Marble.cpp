#include "demo/Marble.h"

#include "demo/SceneFiles.h"
#include "effects/Fog.h"
#include "effects/MeshRenderer.h"
#include "geometry/Mesh.h"
#include "geometry/Random.h"
#include "platform/Application.h"
#include "platform/Camera.h"
#include "platform/EngineResult.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/Texture.h"
#include "platform/Timer.h"
#include "platform/win32/Windows.h"

#include <cmath>

namespace {

using Files = SceneFiles<"Marble">;
constexpr const char* caption = Files::shortCaption;
constexpr D3DCOLOR backdrop = 0x00262626;
constexpr D3DCOLOR white = 0x00FFFFFF;
constexpr int spawnFactor = 150;

constexpr int cloudTriangles = 250;
constexpr int cloudVertices = 3 * cloudTriangles;

struct TextureFile {
    DataFile file;
    UINT width;
    UINT height;
};

constexpr TextureFile marbleFiles[4] = {
    {Files::texture<"Data\\Marble1.jpg">, 64, 64},
    {Files::texture<"Data\\Marble2.jpg">, 64, 64},
    {Files::texture<"Data\\Marble3.jpg">, 64, 64},
    {Files::texture<"Data\\Marble4.jpg">, 64, 64},
};
constexpr TextureFile backgroundFile{Files::texture<"Data\\PeskyBack.jpg">, 640, 480};
constexpr TextureFile cloudFile{Files::texture<"Data\\Wolk.jpg">, 128, 128};
constexpr TextureFile bannerFile{Files::texture<"Data\\Sterf.bmp">, 640, 200};

// Alpha, red, green and blue all equal to g (0 to 255).
D3DCOLOR Grey(int g) {
    const DWORD level = static_cast<DWORD>(g) & 0xFF;
    return level * 0x01010101u;
}

template <class Object> void Free(Object*& object) {
    if (object != nullptr) {
        object->Release();
        delete object;
        object = nullptr;
    }
}

template <class Object> void Delete(Object*& object) {
    delete object;
    object = nullptr;
}

// x, y and z of each vertex are 6 - (value mod 12) for three successive generator values:
// whole numbers from -5 to 6.
void BuildCloud(Mesh& mesh) {
    mesh.vertexCount = cloudVertices;
    mesh.faceCount = cloudTriangles;
    mesh.positions = new D3DVECTOR[cloudVertices];
    for (int i = 0; i < cloudVertices; ++i) {
        const int x = 6 - Random() % 12;
        const int y = 6 - Random() % 12;
        const int z = 6 - Random() % 12;
        mesh.positions[i] = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
    }
    mesh.faces = new MeshFace[cloudTriangles];
    for (int k = 0; k < cloudTriangles; ++k) {
        mesh.faces[k] = {3 * k, 3 * k + 1, 3 * k + 2};
    }
}

} // namespace

namespace marble_timing {

bool IsPuzzleFrame(float t) {
    return t < 25.75f || t > 49.0f;
}

int OpeningFlashGrey(float t) {
    return 190 - static_cast<int>(std::floor(95.0f * t));
}

int ClosingFlashGrey(float t) {
    return 180 - static_cast<int>(std::floor(180.0f * (1.0f - 0.44444445f * (t - 23.5f))));
}

D3DCOLOR CloudColour(float t) {
    if (t < 40.0f) {
        return white;
    }
    if (t < 44.0f) {
        return Grey(255 - static_cast<int>(std::floor(63.75f * (t - 40.0f))));
    }
    return 0x00000000;
}

D3DCOLOR Faded(D3DCOLOR colour, D3DCOLOR fade) {
    const DWORD k = fade & 0xFF;
    D3DCOLOR out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        out |= (((colour >> shift) & 0xFF) * k / 255) << shift;
    }
    return out;
}

} // namespace marble_timing

Marble::~Marble() {
    Release();
}

SceneResult Marble::Init(Application* app) {
    if (initialised) {
        return SceneAlreadyInitialized(caption);
    }
    board = CreatePuzzle();
    application = app;

    marbleMesh = new Mesh;
    if (const SceneResult r = LoadMesh(*this, *marbleMesh, Files::mesh<"Data\\Hedra.msh">, 0.004f);
        r.Failed()) {
        return r;
    }
    quad = new Mesh;
    cloud = new Mesh;
    BuildCloud(*cloud);
    marbleCamera = new Camera;

    const struct {
        Texture*& texture;
        const TextureFile& file;
    } textures[] = {
        {marbleTextures[0], marbleFiles[0]}, {marbleTextures[1], marbleFiles[1]},
        {marbleTextures[2], marbleFiles[2]}, {marbleTextures[3], marbleFiles[3]},
        {backgroundTexture, backgroundFile}, {cloudTexture, cloudFile},
        {bannerTexture, bannerFile},
    };
    for (const auto& entry : textures) {
        entry.texture = new Texture(*application);
        const TextureFile& file = entry.file;
        if (const SceneResult r =
                LoadTexture(*this, *entry.texture, file.file, file.width, file.height);
            r.Failed()) {
            return r;
        }
    }

    material = new Material;
    light = new Light;
    renderer = new MeshRenderer(*application);
    initialised = true;
    return sceneOk;
}

SceneResult Marble::Render(Timer* timer, float /*seconds*/) {
    if (!initialised) {
        return SceneNotInitialized(caption);
    }
    if (sceneClock == nullptr) {
        sceneClock = new Timer;
    }
    const float t = sceneClock->ElapsedSeconds();

    view = Camera{};
    view.SetPosition(0.0f, 0.0f, -4.0f);
    view.SetTarget(0.0f, 0.0f, 0.0f);
    view.SetFieldOfView(0.7853982f);

    if (marble_timing::IsPuzzleFrame(t)) {
        RenderPuzzle(*timer, t);
    } else {
        RenderCloud(*timer, t);
    }
    return sceneOk;
}

void Marble::RenderPuzzle(Timer& timer, float t) {
    StepPuzzle(board, spawnFactor, static_cast<std::int64_t>(timer.ElapsedMilliseconds()));
    application->ClearTarget(backdrop);

    quad->MakeQuad(4.0f, 3.0f);
    view.position.z = -3.5f;
    renderer->SetMesh(quad);
    renderer->SetCamera(&view);
    renderer->SetTexture(backgroundTexture);
    renderer->SetRotationX(0.0f);
    renderer->SetRotationY(0.0f);
    renderer->SetRotationZ(0.0f);
    renderer->DisableLighting();
    Draw();

    marbleCamera->position.z = -6.0f;
    marbleCamera->SetFieldOfView(0.9817477f);
    material->SetSpecular(2.0f, 2.0f, 2.0f, 0.0f);
    material->SetPower(3.0f);
    light->SetSpecular(0.5f, 0.5f, 0.5f, 0.0f);
    renderer->SetRotationX(Milliseconds(timer) * 0.000464563f);
    renderer->SetRotationY(Milliseconds(timer) * 0.000534563f);
    renderer->SetRotationZ(Milliseconds(timer) * 0.00043f);
    renderer->SetMesh(marbleMesh);
    renderer->SetCamera(marbleCamera);
    renderer->SetMaterial(material);
    renderer->SetLight(1, light);
    renderer->EnableLighting();
    renderer->EnableSpecular();

    // The marble stays at the origin; aiming the camera at (2 - c, 0.5 r - 2.5) puts column 0
    // on the left and row 0 at the top.
    for (int r = 0; r < boardHeight; ++r) {
        for (int c = 0; c < boardWidth; ++c) {
            marbleCamera->SetTarget(2.0f - static_cast<float>(c),
                                    0.5f * static_cast<float>(r) - 2.5f, 0.0f);
            const BoardCell v = board[r * boardWidth + c];
            if (v < 1 || v > 4) {
                continue;
            }
            renderer->SetTexture(marbleTextures[v - 1]);
            renderer->SetRotationZ(Milliseconds(timer) * 0.00043f +
                                   0.05f * static_cast<float>(r) * static_cast<float>(c));
            Draw();
        }
    }

    if (t >= 0.0f && t <= 2.0f) {
        DrawFlash(marble_timing::OpeningFlashGrey(t));
    }
    if (t >= 23.5f && t <= 25.75f) {
        DrawFlash(marble_timing::ClosingFlashGrey(t));
    }
}

void Marble::DrawFlash(int grey) {
    flashCamera = Camera{};
    flashCamera.position.z = -1.0f;
    quad->MakeQuad(1.6f, 2.25f);
    renderer->SetMesh(quad);
    renderer->SetCamera(&flashCamera);
    renderer->SetTexture(nullptr);
    renderer->SetRotationX(0.0f);
    renderer->SetRotationY(0.0f);
    renderer->SetRotationZ(0.0f);
    renderer->DisableLighting();
    renderer->EnableAdditive();
    renderer->SetColor(Grey(grey));
    Draw();
    renderer->DisableAdditive();
    renderer->SetColor(white);
}

void Marble::RenderCloud(Timer& timer, float t) {
    application->ClearTarget(backdrop);

    const D3DCOLOR fade = marble_timing::CloudColour(t);
    renderer->SetColor(fade);

    DrawBanner();

    view.position.z = -10.0f;
    cloudMaterial = Material{};
    cloudLight = Light{};
    renderer->SetMesh(cloud);
    renderer->SetCamera(&view);
    renderer->SetTexture(cloudTexture);
    renderer->SetMaterial(&cloudMaterial);
    renderer->SetLight(1, &cloudLight);
    renderer->SetRotationX(Milliseconds(timer) * 0.000364563f);
    renderer->SetRotationY(Milliseconds(timer) * 0.000234563f);
    renderer->SetRotationZ(Milliseconds(timer) * 0.00043f);
    renderer->EnableLighting();
    // The fade reaches black only if the cloud's ambient light and its fog colour fade too:
    // every added triangle would otherwise still add them, and the screen would stay grey.
    renderer->SetAmbient(marble_timing::Faded(0x00131313, fade));
    renderer->EnableAdditive();
    ReportDrawFailure(
        EnableFog(*application, marble_timing::Faded(backdrop, fade), -10.0f, 230.6f));
    Draw();
    ReportDrawFailure(DisableFog(*application));

    DrawBanner();
}

void Marble::DrawBanner() {
    quad->MakeQuad(1.08f, 0.23f);
    view.position.z = -1.0f;
    renderer->SetMesh(quad);
    renderer->SetCamera(&view);
    renderer->SetTexture(bannerTexture);
    renderer->SetRotationX(0.0f);
    renderer->SetRotationY(0.0f);
    renderer->SetRotationZ(0.0f);
    renderer->EnableAdditive();
    renderer->DisableLighting();
    Draw();
}

void Marble::Draw() {
    ReportDrawFailure(renderer->Render());
}

void Marble::Release() {
    initialised = false;
    Delete(sceneClock);
    if (board != nullptr) {
        FreePuzzle();
        board = nullptr;
    }
    Free(marbleMesh);
    Free(quad);
    Free(cloud);
    Delete(marbleCamera);
    for (Texture*& texture : marbleTextures) {
        Free(texture);
    }
    Free(backgroundTexture);
    Free(bannerTexture);
    Delete(material);
    Delete(light);
    Free(cloudTexture);
    Delete(renderer);
    application = nullptr;
}
