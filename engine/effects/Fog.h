#pragma once
// Linear range fog per vertex on the application's device. A scene enables it around its
// renderer calls; the renderers leave the fog states alone, so it applies to every draw until
// DisableFog. Fog factor f = (end - distance from the eye) / (end - start), clamped to 0..1.

#include "platform/EngineResult.h"
#include "platform/d3d8/D3D8.h"

class Application;

// 0, or -28 (nothing set) while the device is not usable.
EngineResult EnableFog(Application& application, D3DCOLOR color, float start, float end);
// Sets all six fog states to 0 (end 0.0, not the device default 1.0). 0, or -28.
EngineResult DisableFog(Application& application);
