#include "demo/Test.h"

#include "demo/SceneFiles.h"
#include "effects/MeshRenderer.h"
#include "effects/Motion.h"
#include "geometry/Mesh.h"
#include "platform/Application.h"
#include "platform/Camera.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/MathF.h"
#include "platform/Texture.h"
#include "platform/Timer.h"

namespace {

using Files = SceneFiles<"Test">;
constexpr const char* shortCaption = Files::shortCaption;
constexpr D3DCOLOR backgroundGrey = 0x00262626;

constexpr DataFile cardFiles[Test::cardCount] = {
    Files::texture<"Data\\Greets1.jpg">,
    Files::texture<"Data\\Greets2.jpg">,
    Files::texture<"Data\\Greets3.jpg">,
};

// A card is shown while start <= t <= end (scene-clock seconds; neighbouring windows share
// their bound, so at 10 s and 17.5 s two cards are drawn); its camera target sweeps along x
// from startX to endX with u = (t - start) * rate, rate being 1 / (end - start).
struct CardWindow {
    float start;
    float end;
    float rate;
    float startX;
    float endX;
};

constexpr CardWindow cardWindows[Test::cardCount] = {
    {2.5f, 10.0f, 0.13333334f, 5.0f, -5.0f},
    {10.0f, 17.5f, 0.13333334f, -5.0f, 5.0f},
    {17.5f, 26.0f, 0.11764706f, 5.0f, -5.0f},
};

} // namespace

Test::Test() = default;

Test::~Test() {
    Release();
}

SceneResult Test::Init(Application* app) {
    if (initialized) {
        return SceneAlreadyInitialized(shortCaption);
    }
    application = app;

    ball = std::make_unique<Mesh>();
    if (const SceneResult r = LoadMesh(*this, *ball, Files::mesh<"Data\\Bol.msh">, 0.008f);
        r.Failed()) {
        return r;
    }
    cardQuad = std::make_unique<Mesh>();
    cardQuad->MakeQuad(3.4f, 2.0f);
    ballCamera = std::make_unique<Camera>();

    ballTexture = std::make_unique<Texture>(*application);
    if (const SceneResult r =
            LoadTexture(*this, *ballTexture, Files::texture<"Data\\Paddo.bmp">, 256, 256);
        r.Failed()) {
        return r;
    }
    for (int i = 0; i < cardCount; ++i) {
        cardTextures[i] = std::make_unique<Texture>(*application);
        if (const SceneResult r = LoadTexture(*this, *cardTextures[i], cardFiles[i], 640, 300);
            r.Failed()) {
            return r;
        }
    }

    material = std::make_unique<Material>();
    light = std::make_unique<Light>();
    meshRenderer = std::make_unique<MeshRenderer>(*application);
    initialized = true;
    return sceneOk;
}

SceneResult Test::Render(Timer* timer, float /*seconds*/) {
    if (!initialized) {
        return SceneNotInitialized(shortCaption);
    }
    if (!sceneClock) {
        sceneClock = std::make_unique<Timer>();
    }
    const float t = sceneClock->ElapsedSeconds();

    DeformBall(*timer);
    application->ClearTarget(backgroundGrey);
    DrawBall(*timer);
    DrawCards(t);
    return sceneOk;
}

void Test::DeformBall(const Timer& timer) {
    const int count = ball->vertexCount;
    for (int i = 0; i < count; ++i) {
        const D3DVECTOR& rest = ball->restPositions[i];
        const float x = rest.x;
        const float y = rest.y;
        const float z = rest.z;

        float g = AbsF(SinF(Milliseconds(timer) * 0.0008f + z * 0.9f + y * 0.65f + x * 0.8f));
        float h = CosF(2.0f * x * SinF(Milliseconds(timer) * 0.0003f)) * 1.5f;
        float q = SinF(z * y) * 2.75f + h;
        g = g * AbsF(CosF(Milliseconds(timer) * 0.0005376344f + q + z * 0.4351f + y));
        h = SinF(Milliseconds(timer) * 0.00033f) * 3.5f;
        q = SinF(Milliseconds(timer) * 0.00033423f) * h * y * x;
        g = g + AbsF(SinF(SinF(z * 1.7082131f) + q));
        const float k = g + AbsF(CosF(SqrtF(z * z * CosF(x * SinF(Milliseconds(timer) * 0.00023f)) +
                                            z * z + x * x)));

        const float x1 = k * x;
        const float y1 = k * y;
        const float z1 = k * z;
        // A turn about the y axis by theta - pi/2, theta varying with the height.
        const float theta = SinF(y1 * 0.74944544f) * SinF(Milliseconds(timer) * 0.00023f);
        const float s = SinF(theta);
        const float c = CosF(theta);
        ball->positions[i] = {x1 * s - z1 * c, y1, x1 * c + z1 * s};
    }
}

void Test::DrawBall(const Timer& timer) {
    ballCamera->SetPosition(0.0f, 0.0f, -2.0f);
    ballCamera->SetTarget(0.0f, -0.5f, 0.0f);
    ballCamera->SetFieldOfView(1.6981583f);
    material->SetSpecular(2.0f, 2.0f, 1.0f, 0.0f);
    material->SetPower(5.0f);
    light->SetSpecular(0.0f, 0.0f, 0.5f, 0.0f);

    meshRenderer->SetMesh(ball.get());
    meshRenderer->SetCamera(ballCamera.get());
    meshRenderer->SetTexture(ballTexture.get());
    meshRenderer->SetMaterial(material.get());
    meshRenderer->SetLight(1, light.get());
    meshRenderer->SetRotationY(Milliseconds(timer) * 0.00063f);
    meshRenderer->EnableLighting();
    meshRenderer->EnableAdditive();
    meshRenderer->DisableCulling();
    meshRenderer->EnableSpecular();
    ReportDrawFailure(meshRenderer->Render());
    meshRenderer->SetRotationY(Milliseconds(timer) * 0.00063f + 0.15f);
    ReportDrawFailure(meshRenderer->Render());
    meshRenderer->SetRotationY(Milliseconds(timer) * 0.00063f + 0.25f);
    ReportDrawFailure(meshRenderer->Render());
}

void Test::DrawCards(float t) {
    for (int i = 0; i < cardCount; ++i) {
        const CardWindow& window = cardWindows[i];
        if (t < window.start || t > window.end) {
            continue;
        }
        const float u = (t - window.start) * window.rate;
        Camera cardCamera;
        cardCamera.SetPosition(0.0f, 0.0f, -3.0f);
        CosineInterpolate(cardCamera.target, window.startX, 0.0f, 0.0f, window.endX, 0.0f, 0.0f, u);
        cardCamera.SetFieldOfView(0.7853982f);

        // Additive and two-sided as the ball passes left the renderer; a second copy a
        // little farther away.
        meshRenderer->SetMesh(cardQuad.get());
        meshRenderer->SetCamera(&cardCamera);
        meshRenderer->SetTexture(cardTextures[i].get());
        meshRenderer->SetRotationY(0.0f);
        meshRenderer->DisableLighting();
        ReportDrawFailure(meshRenderer->Render());
        cardCamera.position.z -= 0.15f;
        ReportDrawFailure(meshRenderer->Render());
        // Not left pointing at this frame's camera; the next frame sets it anyway.
        meshRenderer->SetCamera(ballCamera.get());
    }
}

void Test::Release() {
    initialized = false;
    sceneClock.reset();
    if (ball) {
        ball->Release();
        ball.reset();
    }
    if (cardQuad) {
        cardQuad->Release();
        cardQuad.reset();
    }
    ballCamera.reset();
    if (ballTexture) {
        ballTexture->Release();
        ballTexture.reset();
    }
    for (std::unique_ptr<Texture>& texture : cardTextures) {
        if (texture) {
            texture->Release();
            texture.reset();
        }
    }
    material.reset();
    light.reset();
    meshRenderer.reset();
    application = nullptr;
}
