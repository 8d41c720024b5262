#pragma once
// Engine codes of the mesh and billboard renderers.

#include "platform/EngineResult.h"

namespace engine_code {
inline constexpr EngineResult rendererNoMesh = -30;
inline constexpr EngineResult rendererNoVertices = -31;
inline constexpr EngineResult billboardTooManyParticles = -32;
inline constexpr EngineResult rendererNoCamera = -33;
inline constexpr EngineResult meshNoMaterial = -34;
inline constexpr EngineResult rendererVertexLockFailed = -35;
inline constexpr EngineResult rendererIndexLockFailed = -36;
inline constexpr EngineResult meshTooManyVertices = -37;
inline constexpr EngineResult meshNoFaces = -38;
inline constexpr EngineResult meshTooManyFaces = -39;
} // namespace engine_code
