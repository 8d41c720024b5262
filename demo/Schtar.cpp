#include "demo/Schtar.h"

#include "demo/SceneFiles.h"

#include "effects/BillboardRenderer.h"
#include "effects/Fog.h"
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

using Files = SceneFiles<"Schtar">;
constexpr const char* shortCaption = Files::shortCaption;
constexpr D3DCOLOR background = 0x00262626;

// The logo jumps to `from` at `start` and eases back to `to` by `end`; a later window that
// also contains the time overrides an earlier one.
struct SwellWindow {
    float start, end;
    float fromWidth, fromHeight;
    float toWidth, toHeight;
};

constexpr SwellWindow swellWindows[] = {
    {52.0f, 53.5f, 2.2f, 0.6f, 1.2f, 0.35f},   {53.5f, 55.0f, 2.2f, 0.6f, 1.2f, 0.35f},
    {56.75f, 58.25f, 2.5f, 0.6f, 1.2f, 0.35f}, {60.0f, 61.5f, 2.6f, 0.8f, 1.2f, 0.35f},
    {63.25f, 64.75f, 2.2f, 0.6f, 1.2f, 0.35f},
};

} // namespace

Schtar::Schtar() = default;

Schtar::~Schtar() {
    Release();
}

SceneResult Schtar::Init(Application* app) {
    if (initialized) {
        return SceneAlreadyInitialized(shortCaption);
    }
    application = app;

    blob = std::make_unique<Mesh>();
    if (const SceneResult r = LoadMesh(*this, *blob, Files::mesh<"Data\\Bol.msh">, 0.0055f);
        r.Failed()) {
        return r;
    }
    logoQuad = std::make_unique<Mesh>();
    blobCamera = std::make_unique<Camera>();
    particleCamera = std::make_unique<Camera>();

    blobTexture = std::make_unique<Texture>(*application);
    if (const SceneResult r =
            LoadTexture(*this, *blobTexture, Files::texture<"Data\\Bot1.bmp">, 256, 256);
        r.Failed()) {
        return r;
    }
    logoTexture = std::make_unique<Texture>(*application);
    if (const SceneResult r =
            LoadTexture(*this, *logoTexture, Files::texture<"Data\\Logo.bmp">, 640, 200);
        r.Failed()) {
        return r;
    }
    particleTexture = std::make_unique<Texture>(*application);
    if (const SceneResult r =
            LoadTexture(*this, *particleTexture, Files::texture<"Data\\Particle.bmp">, 64, 64);
        r.Failed()) {
        return r;
    }

    material = std::make_unique<Material>();
    light = std::make_unique<Light>();
    billboardRenderer = std::make_unique<BillboardRenderer>(*application);
    meshRenderer = std::make_unique<MeshRenderer>(*application);

    initialized = true;
    return sceneOk;
}

SceneResult Schtar::Render(Timer* timer, float /*seconds*/) {
    if (!initialized) {
        return SceneNotInitialized(shortCaption);
    }
    if (!sceneClock) {
        sceneClock = std::make_unique<Timer>();
    }
    const float t = sceneClock->ElapsedSeconds();

    BoilBlob(*timer);
    application->ClearTarget(background);

    // The orbit's three angles are read roll first, then pitch, then yaw.
    const float roll = Milliseconds(*timer) * 0.00033563457f;
    const float pitch = Milliseconds(*timer) * 0.00035435345f;
    const float yaw = Milliseconds(*timer) * 0.0002353454f;
    D3DMATRIX orbit;
    RotationYawPitchRoll(orbit, yaw, pitch, roll);

    blobCamera->SetPosition(1.0f, 2.232f, -5.0f);
    blobCamera->SetTarget(1.2f, 0.5f, 0.0f);
    TransformNormal(blobCamera->position, blobCamera->position, orbit);
    TransformNormal(blobCamera->target, blobCamera->target, orbit);

    material->SetSpecular(1.0f, 1.0f, 1.0f, 0.0f);
    material->SetPower(11.0f);
    material->SetEmissive(0.05f, 0.05f, 0.35f, 0.0f);
    light->SetSpecular(0.6f, 0.6f, 0.6f, 0.0f);

    meshRenderer->SetMesh(blob.get());
    meshRenderer->SetCamera(blobCamera.get());
    meshRenderer->SetTexture(blobTexture.get());
    meshRenderer->SetMaterial(material.get());
    meshRenderer->SetLight(1, light.get());
    meshRenderer->SetRotationX(Milliseconds(*timer) * 0.00063f);
    meshRenderer->SetRotationY(Milliseconds(*timer) * 0.00063f);
    meshRenderer->SetRotationZ(Milliseconds(*timer) * 0.00073f);
    meshRenderer->SetAmbient(0x00363636);
    meshRenderer->EnableLighting();
    meshRenderer->EnableSpecular();

    const bool fogged = 0.0f <= t && t <= 14.0f;
    if (fogged) {
        EnableFog(*application, background, 0.0f, 4.9f);
    }
    ReportDrawFailure(meshRenderer->Render());
    if (fogged) {
        DisableFog(*application);
    }

    if (t >= 15.0f) {
        DrawParticlesAndLogo(*timer, t, orbit);
    }
    return sceneOk;
}

void Schtar::BoilBlob(const Timer& timer) {
    for (int i = 0; i < blob->vertexCount; ++i) {
        const float x = blob->restPositions[i].x;
        const float y = blob->restPositions[i].y;
        const float z = blob->restPositions[i].z;
        float d = SqrtF(x * x + y * y + z * z) *
                  SinF(0.00053f * Milliseconds(timer) + 1.65f * z + 0.5f * y + 0.3f * x);
        const float k = CosF(x * SinF(0.00034353f * Milliseconds(timer))) * z * 0.423423f;
        const float q = SinF(y * z) + k;
        d = d + AbsF(CosF(0.00052f * Milliseconds(timer) + q + y));
        const float w = SinF(CosF(0.00092f * Milliseconds(timer)) * y * x * 1.3828906f) * d * 6.0f;
        // f >= 1: the vertex stays on its own ray, never inside its rest position.
        const float f = 1.0f + AbsF(w);
        blob->positions[i] = {f * x, f * y, f * z};
    }
}

void Schtar::DrawParticlesAndLogo(const Timer& timer, float t, const D3DMATRIX& orbit) {
    particleCamera->SetPosition(1.0f, 2.232f, -4.8f);
    particleCamera->SetTarget(1.2f, 0.5f, 0.0f);
    TransformNormal(particleCamera->position, particleCamera->position, orbit);
    TransformNormal(particleCamera->target, particleCamera->target, orbit);

    // The particles sit on the boiled vertices; without a depth clear the blob hides those
    // behind it.
    billboardRenderer->SetMesh(blob.get());
    billboardRenderer->SetCamera(particleCamera.get());
    billboardRenderer->SetTexture(particleTexture.get());
    billboardRenderer->SetRotationX(Milliseconds(timer) * 0.00063f);
    billboardRenderer->SetRotationY(Milliseconds(timer) * 0.00063f);
    billboardRenderer->SetRotationZ(Milliseconds(timer) * 0.00073f);
    billboardRenderer->SetSize(0.015f);
    billboardRenderer->DisableDepthClear();
    ReportDrawFailure(billboardRenderer->Render());

    Camera logoCamera;
    logoCamera.SetPosition(0.0f, 0.0f, -1.0f);

    meshRenderer->SetMesh(logoQuad.get());
    meshRenderer->SetCamera(&logoCamera);
    meshRenderer->SetTexture(logoTexture.get());
    meshRenderer->SetRotationX(0.0f);
    meshRenderer->SetRotationY(0.0f);
    meshRenderer->SetRotationZ(0.0f);
    meshRenderer->DisableLighting();
    meshRenderer->EnableAdditive();

    logoQuad->MakeQuad(1.2f, 0.35f);
    for (const SwellWindow& window : swellWindows) {
        if (window.start <= t && t <= window.end) {
            const float u = (t - window.start) * 0.6666667f;
            D3DVECTOR size;
            CosineInterpolate(size, window.fromWidth, window.fromHeight, 0.0f, window.toWidth,
                              window.toHeight, 0.0f, u);
            logoQuad->MakeQuad(size.x, size.y);
        }
    }
    // The renderer clears depth first, so the logo lies over everything.
    ReportDrawFailure(meshRenderer->Render());
    meshRenderer->DisableAdditive();
}

void Schtar::Release() {
    initialized = false;
    sceneClock.reset();
    if (blob) {
        blob->Release();
        blob.reset();
    }
    if (logoQuad) {
        logoQuad->Release();
        logoQuad.reset();
    }
    blobCamera.reset();
    particleCamera.reset();
    for (std::unique_ptr<Texture>* texture : {&blobTexture, &logoTexture, &particleTexture}) {
        if (*texture) {
            (*texture)->Release();
            texture->reset();
        }
    }
    material.reset();
    light.reset();
    billboardRenderer.reset();
    meshRenderer.reset();
    application = nullptr;
}
