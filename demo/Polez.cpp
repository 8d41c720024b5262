#include "demo/Polez.h"

#include "demo/SceneFiles.h"
#include "effects/Fog.h"
#include "effects/MeshRenderer.h"
#include "geometry/Mesh.h"
#include "platform/Application.h"
#include "platform/Camera.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/Texture.h"
#include "platform/Timer.h"

namespace {

using Files = SceneFiles<"Polez">;
constexpr const char* shortCaption = Files::shortCaption;
constexpr D3DCOLOR backgroundGrey = 0x00262626;

// Elapsed milliseconds of the demo clock, read afresh for each angle, times radians per ms.
float Angle(const Timer& timer, float radiansPerMillisecond) {
    return static_cast<float>(timer.ElapsedMilliseconds()) * radiansPerMillisecond;
}

} // namespace

Polez::Polez() = default;

Polez::~Polez() {
    Release();
}

SceneResult Polez::Init(Application* app) {
    if (initialized) {
        return SceneAlreadyInitialized(shortCaption);
    }
    application = app;

    poleMesh = std::make_unique<Mesh>();
    if (const SceneResult r = LoadMesh(*this, *poleMesh, Files::mesh<"Data\\Palen.msh">, 0.01f);
        r.Failed()) {
        return r;
    }
    quad = std::make_unique<Mesh>();
    quad->MakeQuad(4.0f, 3.0f);
    meshCamera = std::make_unique<Camera>();

    chessTexture = std::make_unique<Texture>(*application);
    if (const SceneResult r =
            LoadTexture(*this, *chessTexture, Files::texture<"Data\\Chess.jpg">, 256, 256);
        r.Failed()) {
        return r;
    }
    photoTexture = std::make_unique<Texture>(*application);
    if (const SceneResult r =
            LoadTexture(*this, *photoTexture, Files::texture<"Data\\Tolm1.jpg">, 640, 480);
        r.Failed()) {
        return r;
    }

    material = std::make_unique<Material>();
    light = std::make_unique<Light>();
    meshRenderer = std::make_unique<MeshRenderer>(*application);
    initialized = true;
    return sceneOk;
}

SceneResult Polez::Render(Timer* timer, float /*seconds*/) {
    if (!initialized) {
        return SceneNotInitialized(shortCaption);
    }
    application->ClearTarget(backgroundGrey);

    // The 4 x 3 quad at distance 3.2 under a quarter-turn field of view covers the whole view.
    // Lighting is off here: every frame ends with it off.
    Camera backgroundCamera;
    backgroundCamera.SetPosition(0.0f, 0.0f, -3.2f);
    meshRenderer->SetMesh(quad.get());
    meshRenderer->SetCamera(&backgroundCamera);
    meshRenderer->SetTexture(photoTexture.get());
    meshRenderer->SetRotationX(0.0f);
    meshRenderer->SetRotationY(0.0f);
    meshRenderer->SetRotationZ(0.0f);
    ReportDrawFailure(meshRenderer->Render());

    // Telephoto lens: 2 pi / 17 radians (bits 0x3EBD3C19).
    meshCamera->SetPosition(0.0f, 0.0f, -1.9f);
    meshCamera->SetFieldOfView(0.3695991f);
    material->SetSpecular(2.0f, 2.0f, 2.0f, 0.0f);
    material->SetPower(9.0f);
    material->SetEmissive(0.05f, 0.05f, 0.05f, 0.0f);
    light->SetSpecular(2.0f, 2.0f, 2.0f, 0.0f);

    meshRenderer->SetMesh(poleMesh.get());
    meshRenderer->SetCamera(meshCamera.get());
    meshRenderer->SetTexture(chessTexture.get());
    meshRenderer->SetMaterial(material.get());
    meshRenderer->SetLight(1, light.get());
    meshRenderer->SetRotationX(Angle(*timer, 0.000464563f));
    meshRenderer->SetRotationY(Angle(*timer, 0.000934563f));
    meshRenderer->SetRotationZ(Angle(*timer, 0.00043f));
    meshRenderer->SetAmbient(0x00363636);
    meshRenderer->DisableCulling();
    meshRenderer->EnableLighting();
    meshRenderer->EnableSpecular();

    // The fog switches fail only on a device that is not usable, which the draw reports.
    (void)EnableFog(*application, backgroundGrey, 0.0f, 3.6f);
    ReportDrawFailure(meshRenderer->Render());
    (void)DisableFog(*application);

    meshRenderer->DisableLighting();
    return sceneOk;
}

void Polez::Release() {
    initialized = false;
    if (poleMesh) {
        poleMesh->Release();
        poleMesh.reset();
    }
    if (quad) {
        quad->Release();
        quad.reset();
    }
    meshCamera.reset();
    if (chessTexture) {
        chessTexture->Release();
        chessTexture.reset();
    }
    if (photoTexture) {
        photoTexture->Release();
        photoTexture.reset();
    }
    material.reset();
    light.reset();
    meshRenderer.reset();
    application = nullptr;
}
