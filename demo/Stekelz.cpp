#include "demo/Stekelz.h"

#include "demo/SceneFiles.h"
#include "effects/BillboardRenderer.h"
#include "effects/Fog.h"
#include "effects/MeshRenderer.h"
#include "geometry/Mesh.h"
#include "platform/Application.h"
#include "platform/Camera.h"
#include "platform/MathF.h"
#include "platform/Texture.h"
#include "platform/Timer.h"
#include "platform/win32/Windows.h"

#include <cmath>

namespace {

using Files = SceneFiles<"Stekelz">;
constexpr const char* shortCaption = Files::shortCaption;
constexpr D3DCOLOR background = 0x00262626;
constexpr D3DCOLOR white = 0x00FFFFFF;

constexpr float bannerWidth = 1.06f;
constexpr float bannerHeight = 0.25f;
// Covers the whole view from a banner camera.
constexpr float flashWidth = 1.6f;
constexpr float flashHeight = 2.25f;

// The flash over a banner that came up at `start` seconds, for `seconds` from `start` to
// `start` + 2: a grey in all four bytes falling from 0xBEBEBEBE to 0.
D3DCOLOR FlashColor(float seconds, float start) {
    const float fade = (seconds - start) * 0.5f * 190.0f;
    const auto g = static_cast<DWORD>(190 - static_cast<int>(std::floor(fade))) & 0xFFu;
    return g << 24 | g << 16 | g << 8 | g;
}

// Camera defaults seen from (0, 0, -1): a 1.06 x 0.25 quad spans the view's width.
Camera BannerCamera() {
    Camera camera;
    camera.SetPosition(0.0f, 0.0f, -1.0f);
    return camera;
}

} // namespace

Stekelz::Stekelz() = default;

Stekelz::~Stekelz() {
    Release();
}

SceneResult Stekelz::Init(Application* app) {
    if (initialized) {
        return SceneAlreadyInitialized(shortCaption);
    }
    application = app;

    ball = std::make_unique<Mesh>();
    if (const SceneResult r = LoadMesh(*this, *ball, Files::mesh<"Data\\Bol.msh">, 0.0055f);
        r.Failed()) {
        return r;
    }
    bannerQuad = std::make_unique<Mesh>();
    bannerQuad->MakeQuad(bannerWidth, bannerHeight);
    spikeCamera = std::make_unique<Camera>();

    spikeTexture = std::make_unique<Texture>(*application);
    if (const SceneResult r =
            LoadTexture(*this, *spikeTexture, Files::texture<"Data\\Stekel.jpg">, 64, 64);
        r.Failed()) {
        return r;
    }
    firstBanner = std::make_unique<Texture>(*application);
    if (const SceneResult r =
            LoadTexture(*this, *firstBanner, Files::texture<"Data\\Screes.bmp">, 640, 200);
        r.Failed()) {
        return r;
    }
    secondBanner = std::make_unique<Texture>(*application);
    if (const SceneResult r =
            LoadTexture(*this, *secondBanner, Files::texture<"Data\\Plek.bmp">, 640, 200);
        r.Failed()) {
        return r;
    }

    billboardRenderer = std::make_unique<BillboardRenderer>(*application);
    meshRenderer = std::make_unique<MeshRenderer>(*application);

    initialized = true;
    return sceneOk;
}

SceneResult Stekelz::Render(Timer* timer, float seconds) {
    if (!initialized) {
        return SceneNotInitialized(shortCaption);
    }
    const float s = seconds;

    DeformBall(*timer);
    application->ClearTarget(background);

    if (26.0f <= s && s <= 39.0f) {
        DrawBackdrop(*firstBanner);
    }
    if (s >= 39.0f) {
        DrawBackdrop(*secondBanner);
    }

    spikeCamera->SetFieldOfView(0.81599814f);
    spikeCamera->SetPosition(0.0f, 0.0f, -1.0f);

    billboardRenderer->SetMesh(ball.get());
    billboardRenderer->SetCamera(spikeCamera.get());
    billboardRenderer->SetTexture(spikeTexture.get());
    billboardRenderer->SetSize(0.015f);
    billboardRenderer->EnableSpikes();

    // Before 13 s (never shown by the show's timeline) the ball turns as in the first phase.
    float a = 0.0f;
    float b = 0.0f;
    float c = 0.0f;
    if (s <= 26.0f) {
        a = Milliseconds(*timer) * -0.00013f;
        b = Milliseconds(*timer) * -0.00033f;
        c = Milliseconds(*timer) * -0.00023f;
    }
    if (13.0f <= s && s <= 26.0f) {
        EnableFog(*application, background, 0.0f, (s - 13.0f) * 0.07692308f * 2.4f);
    } else {
        EnableFog(*application, background, 0.0f, 2.4f);
    }
    if (26.0f <= s && s <= 39.0f) {
        a = Milliseconds(*timer) * 0.00013f;
        b = Milliseconds(*timer) * 0.00033f;
        c = Milliseconds(*timer) * 0.00023f;
    }
    if (s >= 39.0f) {
        a = Milliseconds(*timer) * -0.00013f;
        b = Milliseconds(*timer) * -0.00033f;
        c = Milliseconds(*timer) * -0.00023f;
    }

    for (const float offset : {0.0f, 0.05f, 0.1f}) {
        billboardRenderer->SetRotationX(a + offset);
        billboardRenderer->SetRotationY(b + offset);
        billboardRenderer->SetRotationZ(c + offset);
        ReportDrawFailure(billboardRenderer->Render());
    }
    DisableFog(*application);

    if (26.0f <= s && s <= 39.0f) {
        DrawOverlay(*firstBanner, s <= 28.0f, s, 26.0f);
    }
    if (s >= 39.0f) {
        DrawOverlay(*secondBanner, s <= 41.0f, s, 39.0f);
    }
    return sceneOk;
}

void Stekelz::DeformBall(const Timer& timer) {
    for (int i = 0; i < ball->vertexCount; ++i) {
        const float x = ball->restPositions[i].x;
        const float y = ball->restPositions[i].y;
        const float z = ball->restPositions[i].z;
        const float a = Milliseconds(timer) * 0.00023f + z * 1.65f + y * 0.5f + x * 0.3f;
        float p = SqrtF(x * x + y * y + z * z) * SinF(a);
        const float q = CosF(x * SinF(Milliseconds(timer) * 0.00014353f)) * z * 0.423423f;
        const float r = SinF(z * y) + q;
        p = p + AbsF(CosF(y + Milliseconds(timer) * 0.00032f + r));
        const float w = p * SinF(x * y * CosF(Milliseconds(timer) * 0.00072f) * 1.3828906f) * 6.0f;
        // k >= 1: the vertex stays on its own ray, never inside its rest position.
        const float k = 1.0f + AbsF(w);
        ball->positions[i] = {k * x, k * y, k * z};
    }
}

// The mesh renderer's additive setting is not reset here: once an overlay has switched it on,
// the backdrops of later frames are added onto the cleared background too.
void Stekelz::DrawBackdrop(const Texture& banner) {
    const Camera camera = BannerCamera();
    bannerQuad->MakeQuad(bannerWidth, bannerHeight);
    meshRenderer->SetMesh(bannerQuad.get());
    meshRenderer->SetCamera(&camera);
    meshRenderer->SetTexture(&banner);
    meshRenderer->SetRotationX(0.0f);
    meshRenderer->SetRotationY(0.0f);
    meshRenderer->SetRotationZ(0.0f);
    ReportDrawFailure(meshRenderer->Render());
}

void Stekelz::DrawOverlay(const Texture& banner, bool flash, float seconds, float start) {
    const Camera camera = BannerCamera();
    bannerQuad->MakeQuad(bannerWidth, bannerHeight);
    meshRenderer->SetMesh(bannerQuad.get());
    meshRenderer->SetCamera(&camera);
    meshRenderer->SetTexture(&banner);
    meshRenderer->SetRotationX(0.0f);
    meshRenderer->SetRotationY(0.0f);
    meshRenderer->SetRotationZ(0.0f);
    meshRenderer->DisableLighting();
    meshRenderer->EnableAdditive();
    ReportDrawFailure(meshRenderer->Render());
    if (!flash) {
        return;
    }

    const Camera flashCamera = BannerCamera();
    bannerQuad->MakeQuad(flashWidth, flashHeight);
    meshRenderer->SetMesh(bannerQuad.get());
    meshRenderer->SetCamera(&flashCamera);
    meshRenderer->SetTexture(nullptr);
    meshRenderer->SetRotationX(0.0f);
    meshRenderer->SetRotationY(0.0f);
    meshRenderer->SetRotationZ(0.0f);
    meshRenderer->DisableLighting();
    meshRenderer->EnableAdditive();
    meshRenderer->SetColor(FlashColor(seconds, start));
    ReportDrawFailure(meshRenderer->Render());
    meshRenderer->SetColor(white);
}

void Stekelz::Release() {
    initialized = false;
    for (std::unique_ptr<Mesh>* mesh : {&ball, &bannerQuad}) {
        if (*mesh) {
            (*mesh)->Release();
            mesh->reset();
        }
    }
    spikeCamera.reset();
    for (std::unique_ptr<Texture>* texture : {&spikeTexture, &firstBanner, &secondBanner}) {
        if (*texture) {
            (*texture)->Release();
            texture->reset();
        }
    }
    billboardRenderer.reset();
    meshRenderer.reset();
    application = nullptr;
}
