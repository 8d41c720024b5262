#pragma once

#include <cstdint>
#include <vector>

namespace content {

// Scape1: 64 x 64 signed height samples, row by row. The engine turns sample s into height
// y = 1 - s / 3.85 on a grid centred on the origin (x = column - 32, z = row - 32).
inline constexpr int kScapeSize = 64;
inline constexpr float kScapeDivisor = 3.85f;

std::vector<std::int8_t> MakeScape();
// The height the engine makes of a sample.
float ScapeHeight(std::int8_t sample);

} // namespace content
