#include "demo/Wendo.h"

#include "demo/SceneFiles.h"
#include "effects/MeshRenderer.h"
#include "geometry/Mesh.h"
#include "platform/Application.h"
#include "platform/Camera.h"
#include "platform/MathF.h"
#include "platform/Texture.h"
#include "platform/Timer.h"

#include <cmath>

namespace {

using Files = SceneFiles<"Wendo">;
constexpr const char* shortCaption = Files::shortCaption;
constexpr D3DCOLOR backgroundGrey = 0x00262626;
constexpr int layerCount = 10;
// Scene-clock seconds: the picture switches after switchTime; the flash fades out by flashEnd.
constexpr float switchTime = 12.75f;
constexpr float flashEnd = 15.0f;

} // namespace

Wendo::Wendo() = default;

Wendo::~Wendo() {
    Release();
}

SceneResult Wendo::Init(Application* app) {
    if (initialized) {
        return SceneAlreadyInitialized(shortCaption);
    }
    application = app;

    // Render rewrites all four positions before every draw, so the size is immaterial.
    quad = std::make_unique<Mesh>();
    quad->MakeQuad(10.0f, 10.0f);
    camera = std::make_unique<Camera>();

    firstTexture = std::make_unique<Texture>(*application);
    if (const SceneResult r =
            LoadTexture(*this, *firstTexture, Files::texture<"Data\\Wendo2.jpg">, 256, 256);
        r.Failed()) {
        return r;
    }
    secondTexture = std::make_unique<Texture>(*application);
    if (const SceneResult r =
            LoadTexture(*this, *secondTexture, Files::texture<"Data\\Wendo.jpg">, 256, 256);
        r.Failed()) {
        return r;
    }

    meshRenderer = std::make_unique<MeshRenderer>(*application);
    initialized = true;
    return sceneOk;
}

SceneResult Wendo::Render(Timer* timer, float /*seconds*/) {
    if (!initialized) {
        return SceneNotInitialized(shortCaption);
    }
    if (!sceneClock) {
        sceneClock = std::make_unique<Timer>();
    }
    const float t = sceneClock->ElapsedSeconds();
    application->ClearTarget(backgroundGrey);

    const float r0 = static_cast<float>(timer->ElapsedMilliseconds()) * 0.00073f;
    const bool firstPicture = t <= switchTime;
    meshRenderer->SetMesh(quad.get());
    meshRenderer->SetCamera(camera.get());
    meshRenderer->SetTexture(firstPicture ? firstTexture.get() : secondTexture.get());
    meshRenderer->SetRotationZ(r0);
    meshRenderer->DisableCulling();
    meshRenderer->EnableAdditive();

    // The motion runs backwards after the switch (phi jumps from about +2.93 to -2.93).
    const float phi = static_cast<float>(sceneClock->ElapsedMilliseconds()) *
                      (firstPicture ? 0.00023f : -0.00023f);
    const float s = SinF(10.0f * phi);

    // Farthest (z = 15) to nearest (z = -12); the depth clear before each draw and the absent
    // depth writes of additive drawing make the layers simply add up.
    for (int i = 0; i < layerCount; ++i) {
        const float layer = static_cast<float>(i);
        meshRenderer->SetRotationZ(r0 + 0.03f * layer);
        const float z = static_cast<float>(5 - i) * 3.0f;
        const float a = phi + 0.003f * layer;
        // Rigid with corners 25 sqrt 2 from the centre while both angles agree, sheared else.
        const float p = 25.0f * SinF(a + 0.06f * layer * s);
        const float q = 25.0f * CosF(a + 0.04f * layer * s);
        const float dx = 5.0f * (SinF(a) + CosF(a));
        const float dy = 5.0f * (CosF(a) - SinF(a));
        D3DVECTOR* v = quad->positions;
        v[0] = {(q - p) + dx, (p + q) + dy, z};
        v[1] = {(p + q) + dx, (p - q) + dy, z};
        v[2] = {(-q - p) + dx, (q - p) + dy, z};
        v[3] = {(p - q) + dx, (-p - q) + dy, z};
        ReportDrawFailure(meshRenderer->Render());
    }

    if (t >= switchTime && t <= flashEnd) {
        // A grey quad filling the view, fading from 190 at the switch to 0 at flashEnd.
        Camera flashCamera;
        flashCamera.SetPosition(0.0f, 0.0f, -1.0f);
        quad->MakeQuad(1.6f, 2.25f);
        meshRenderer->SetMesh(quad.get());
        meshRenderer->SetCamera(&flashCamera);
        meshRenderer->SetTexture(nullptr);
        meshRenderer->SetRotationX(0.0f);
        meshRenderer->SetRotationY(0.0f);
        meshRenderer->SetRotationZ(0.0f);
        meshRenderer->DisableLighting();
        meshRenderer->EnableAdditive();
        const int fade = static_cast<int>(std::floor(190.0f * 0.44444445f * (t - switchTime)));
        const auto grey = static_cast<D3DCOLOR>(190 - fade);
        meshRenderer->SetColor(grey * 0x01010101u);
        ReportDrawFailure(meshRenderer->Render());
        meshRenderer->SetColor(0x00FFFFFF);
        // Not left pointing at this frame's camera; the next frame sets it anyway.
        meshRenderer->SetCamera(camera.get());
    }
    return sceneOk;
}

void Wendo::Release() {
    initialized = false;
    sceneClock.reset();
    if (quad) {
        quad->Release();
        quad.reset();
    }
    camera.reset();
    if (firstTexture) {
        firstTexture->Release();
        firstTexture.reset();
    }
    if (secondTexture) {
        secondTexture->Release();
        secondTexture.reset();
    }
    meshRenderer.reset();
    application = nullptr;
}
