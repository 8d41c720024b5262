#pragma once
// Sound operations return a 32-bit signed code of their own: 0 for success, negative for failure.

#include <cstdint>

using SoundResult = std::int32_t;

namespace sound_code {
inline constexpr SoundResult ok = 0;
inline constexpr SoundResult undocumented = -1;
inline constexpr SoundResult alreadyInitialized = -2;
inline constexpr SoundResult deviceNotAccepted = -3;
inline constexpr SoundResult noDriver = -4;
inline constexpr SoundResult formatNotSupported = -5;
inline constexpr SoundResult outOfMemory = -6;
inline constexpr SoundResult unknownError = -7;
inline constexpr SoundResult notInitialized = -8;
inline constexpr SoundResult notImplemented = -9;
inline constexpr SoundResult memoryWithRange = -10;
inline constexpr SoundResult streamCreateFailed = -11;
inline constexpr SoundResult noStream = -12;
inline constexpr SoundResult playFailed = -13;
inline constexpr SoundResult attributesFailed = -14;
inline constexpr SoundResult setPositionFailed = -15;
} // namespace sound_code

// A static text. Those of 0, -1 and unknown codes end in a line break, the others do not.
const char* DescribeSoundError(SoundResult code);
