#include "demo/ZwartEnWit.h"

#include "demo/SceneFiles.h"
#include "effects/BillboardRenderer.h"
#include "effects/Fog.h"
#include "effects/MeshRenderer.h"
#include "effects/Motion.h"
#include "geometry/Mesh.h"
#include "geometry/Random.h"
#include "platform/Application.h"
#include "platform/Camera.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/Texture.h"
#include "platform/Timer.h"

namespace {

using Files = SceneFiles<"ZwartEnWit">;
constexpr const char* shortCaption = Files::shortCaption;
constexpr D3DCOLOR backgroundGrey = 0x00262626;
constexpr float sheetHeight = -13.45f;

// Demo-clock milliseconds, read afresh for each angle, times radians per millisecond.
float Angle(const Timer& timer, float radiansPerMillisecond) {
    return static_cast<float>(timer.ElapsedMilliseconds()) * radiansPerMillisecond;
}

// 1500 points on a 0.09 grid from three successive values r1, r2, r3 of the process-wide
// generator each: x = 45 - r1 mod 90, y = yOffset - r2 mod 64, z = zOffset - r3 mod 64.
std::unique_ptr<Mesh> MakeCloud(int yOffset, int zOffset) {
    auto cloud = std::make_unique<Mesh>();
    cloud->positions = new D3DVECTOR[ZwartEnWit::cloudPoints];
    cloud->vertexCount = ZwartEnWit::cloudPoints;
    for (int i = 0; i < ZwartEnWit::cloudPoints; ++i) {
        const int r1 = Random();
        const int r2 = Random();
        const int r3 = Random();
        cloud->positions[i] = {static_cast<float>(45 - r1 % 90) * 0.09f,
                               static_cast<float>(yOffset - r2 % 64) * 0.09f,
                               static_cast<float>(zOffset - r3 % 64) * 0.09f};
    }
    return cloud;
}

struct CameraKey {
    D3DVECTOR position;
    D3DVECTOR target;
};

constexpr CameraKey keys[7] = {
    {{0.0f, 0.0f, -1.0f}, {0.0f, -0.45f, 0.0f}},   {{0.0f, 0.0f, -3.0f}, {0.0f, -0.05f, 0.0f}},
    {{0.0f, 1.0f, -3.0f}, {0.0f, -0.45f, -2.45f}}, {{0.0f, 2.0f, -1.0f}, {2.45f, -1.45f, -2.45f}},
    {{0.0f, 0.0f, -6.0f}, {12.0f, -4.45f, 0.0f}},  {{0.0f, 0.0f, -1.0f}, {0.0f, -3.45f, 0.0f}},
    {{0.0f, 0.0f, -12.0f}, {0.0f, -3.45f, 0.0f}},
};

// From key `from` to key `to` while start <= t <= end, with u = (t - start) * rate, rate
// being 1 / (end - start) as the path was tuned.
struct CameraSegment {
    float start;
    float end;
    float rate;
    int from;
    int to;
};

constexpr CameraSegment segments[] = {
    {0.0f, 4.7f, 0.21276596f, 0, 1},   {4.7f, 6.4f, 0.5882352f, 1, 2},
    {6.4f, 11.2f, 0.20833334f, 2, 3},  {11.2f, 12.9f, 0.5882354f, 3, 4},
    {12.9f, 17.8f, 0.20408165f, 4, 5}, {17.8f, 19.6f, 0.5555552f, 5, 6},
    {19.6f, 29.5f, 0.10101011f, 6, 5},
};

struct TextureFile {
    DataFile file;
    UINT size;
};

constexpr TextureFile textureFiles[4] = {
    {Files::texture<"Data\\WhiteParticle.bmp">, 64},
    {Files::texture<"Data\\BlackParticle.bmp">, 64},
    {Files::texture<"Data\\Checker.jpg">, 256},
    {Files::texture<"Data\\LafBlauwtje.jpg">, 256},
};

} // namespace

ZwartEnWit::ZwartEnWit() = default;

ZwartEnWit::~ZwartEnWit() {
    Release();
}

SceneResult ZwartEnWit::Init(Application* app) {
    if (initialized) {
        return SceneAlreadyInitialized(shortCaption);
    }
    application = app;

    whiteCloud = MakeCloud(33, 31);
    blackCloud = MakeCloud(31, 33);

    landscape = std::make_unique<Mesh>();
    if (const SceneResult r =
            LoadHeightmap(*this, *landscape, Files::heightmap<"Data\\Scape1.raw">, 3.85f, 64, 64);
        r.Failed()) {
        return r;
    }
    particleCamera = std::make_unique<Camera>();

    std::unique_ptr<Texture>* const textures[4] = {&whiteParticleTexture, &blackParticleTexture,
                                                   &checkerTexture, &sheetTexture};
    for (int i = 0; i < 4; ++i) {
        std::unique_ptr<Texture>& texture = *textures[i];
        texture = std::make_unique<Texture>(*application);
        const TextureFile& entry = textureFiles[i];
        if (const SceneResult r = LoadTexture(*this, *texture, entry.file, entry.size, entry.size);
            r.Failed()) {
            return r;
        }
    }

    meshRenderer = std::make_unique<MeshRenderer>(*application);
    billboardRenderer = std::make_unique<BillboardRenderer>(*application);
    initialized = true;
    return sceneOk;
}

void ZwartEnWit::PlaceLandscapeCamera(Camera& camera, float t) {
    // At a shared bound both segments apply and the later one stands (the same point).
    for (const CameraSegment& segment : segments) {
        if (t < segment.start || t > segment.end) {
            continue;
        }
        const float u = (t - segment.start) * segment.rate;
        const CameraKey& from = keys[segment.from];
        const CameraKey& to = keys[segment.to];
        CosineInterpolate(camera.position, from.position, to.position, u);
        CosineInterpolate(camera.target, from.target, to.target, u);
    }
}

SceneResult ZwartEnWit::Render(Timer* timer, float /*seconds*/) {
    if (!initialized) {
        return SceneNotInitialized(shortCaption);
    }
    if (!sceneClock) {
        sceneClock = std::make_unique<Timer>();
    }
    const float t = sceneClock->ElapsedSeconds();
    application->ClearTarget(backgroundGrey);

    particleCamera->SetPosition(0.0f, 0.0f, -5.0f);
    billboardRenderer->SetMesh(whiteCloud.get());
    billboardRenderer->SetCamera(particleCamera.get());
    billboardRenderer->SetTexture(whiteParticleTexture.get());
    billboardRenderer->SetRotationX(Angle(*timer, 0.00013543f));
    billboardRenderer->SetRotationY(Angle(*timer, 0.00013543f));
    billboardRenderer->SetRotationZ(Angle(*timer, 0.00013543f));
    billboardRenderer->SetColor(0x00454545);
    billboardRenderer->SetSize(0.021f);
    billboardRenderer->DisableSaturatedBlend();
    ReportDrawFailure(billboardRenderer->Render());

    billboardRenderer->SetMesh(blackCloud.get());
    billboardRenderer->SetTexture(blackParticleTexture.get());
    billboardRenderer->SetRotationX(Angle(*timer, -0.00013543f));
    billboardRenderer->SetRotationY(Angle(*timer, -0.000135345f));
    billboardRenderer->SetRotationZ(Angle(*timer, -0.000135345f));
    billboardRenderer->SetColor(0x00FFFFFF);
    billboardRenderer->SetSize(0.016f);
    billboardRenderer->EnableSaturatedBlend();
    ReportDrawFailure(billboardRenderer->Render());
    billboardRenderer->DisableSaturatedBlend();

    Camera landscapeCamera;
    PlaceLandscapeCamera(landscapeCamera, t);
    Material material;
    material.SetSpecular(1.0f, 1.0f, 1.0f, 0.0f);
    material.SetPower(6.0f);
    Light light;
    light.SetSpecular(0.3f, 0.3f, 0.3f, 0.0f);

    // The fog switches fail only on a device that is not usable, which the draws report.
    (void)EnableFog(*application, backgroundGrey, -10.0f, 37.9f);
    meshRenderer->SetMesh(landscape.get());
    meshRenderer->SetCamera(&landscapeCamera);
    meshRenderer->SetTexture(checkerTexture.get());
    meshRenderer->SetMaterial(&material);
    meshRenderer->SetLight(1, &light);
    meshRenderer->SetRotationY(Angle(*timer, 0.00028f));
    meshRenderer->SetAmbient(0x00252525);
    meshRenderer->EnableLighting();
    meshRenderer->EnableSpecular();
    ReportDrawFailure(meshRenderer->Render());

    // The sheet is the landscape grid flattened for one pass; without a depth clear it and
    // the terrain just drawn hide each other, so the sheet shows only in the valleys.
    const int count = landscape->vertexCount;
    for (int i = 0; i < count; ++i) {
        landscape->positions[i].y = sheetHeight;
    }
    meshRenderer->SetTexture(sheetTexture.get());
    meshRenderer->DisableDepthClear();
    meshRenderer->DisableLighting();
    ReportDrawFailure(meshRenderer->Render());
    meshRenderer->EnableDepthClear();
    for (int i = 0; i < count; ++i) {
        landscape->positions[i].y = landscape->restPositions[i].y;
    }
    (void)DisableFog(*application);

    // Not left pointing at this frame's records; the next frame sets them anyway.
    meshRenderer->SetCamera(nullptr);
    meshRenderer->SetMaterial(nullptr);
    meshRenderer->SetLight(1, nullptr);
    return sceneOk;
}

void ZwartEnWit::Release() {
    initialized = false;
    sceneClock.reset();
    for (std::unique_ptr<Mesh>* mesh : {&whiteCloud, &blackCloud, &landscape}) {
        if (*mesh) {
            (*mesh)->Release();
            mesh->reset();
        }
    }
    particleCamera.reset();
    for (std::unique_ptr<Texture>* texture :
         {&whiteParticleTexture, &blackParticleTexture, &checkerTexture, &sheetTexture}) {
        if (*texture) {
            (*texture)->Release();
            texture->reset();
        }
    }
    meshRenderer.reset();
    billboardRenderer.reset();
    application = nullptr;
}
