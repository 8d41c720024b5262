#pragma once
// The process-wide pseudo-random generator. Scenes share one sequence, so the pictures depend
// on the order in which they draw from it. The state is 1 when the program starts.

#include <cstdint>

inline constexpr int randomMax = 32767;

// state = state * 214013 + 2531011 (mod 2^32); returns (state >> 16) & 0x7FFF, 0 .. 32767.
int Random();

// Sets the state; SeedRandom(1) restarts the sequence from the beginning.
void SeedRandom(std::uint32_t seed);
