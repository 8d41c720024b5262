#pragma once
// Engine operations return a 32-bit signed code: 0 for success, negative for failure.

#include <cstdint>

using EngineResult = std::int32_t;

namespace engine_code {
inline constexpr EngineResult ok = 0;
// Application and device.
inline constexpr EngineResult direct3DCreateFailed = -2;
inline constexpr EngineResult registerClassFailed = -3;
inline constexpr EngineResult createWindowFailed = -4;
inline constexpr EngineResult deviceCapsFailed = -8;
inline constexpr EngineResult deviceDriverInternalError = -11;
inline constexpr EngineResult createDeviceFailed = -12;
inline constexpr EngineResult createVertexBufferFailed = -13;
inline constexpr EngineResult createIndexBufferFailed = -14;
inline constexpr EngineResult notActive = -15;
inline constexpr EngineResult resetFailed = -20;
inline constexpr EngineResult recreateVertexBufferFailed = -21;
inline constexpr EngineResult recreateIndexBufferFailed = -22;
inline constexpr EngineResult enumerateModesFailed = -23;
inline constexpr EngineResult noDisplayMode = -24;
// Mesh files.
inline constexpr EngineResult meshOpenFailed = -25;
inline constexpr EngineResult meshReadFailed = -26;
inline constexpr EngineResult meshBadSignature = -27;
// Drawing, loading and state operations on a lost device; texture files.
inline constexpr EngineResult deviceNotUsable = -28;
inline constexpr EngineResult textureLoadFailed = -29;
// Codes -30 to -39 belong to the renderers, -40 to -42 to the heightmap; their owners name them.
} // namespace engine_code

// A static text, each ending in a line break.
const char* DescribeEngineError(EngineResult code);
