#pragma once

#include <cstdint>

namespace content {

// Deterministic 32-bit hash of a lattice point and a seed.
std::uint32_t Hash(std::int32_t x, std::int32_t y, std::uint32_t seed);

// Small deterministic generator (splitmix64); the same seed gives the same sequence everywhere.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state(seed) {}
    std::uint64_t Next();
    float Unit();                       // 0 <= value < 1
    float Range(float low, float high); // low <= value < high
    int Below(int n);                   // 0 <= value < n

  private:
    std::uint64_t state;
};

// Gradient noise, about -1..1, on a lattice of unit cells that repeats every `period` cells in
// x and y: sampling over [0, period) gives a seamless tile.
float Gradient(float x, float y, int period, std::uint32_t seed);

// Sum of `octaves` gradient noises; octave k has 2^k times the frequency and the period, and
// gain^k the amplitude. Normalised to about -1..1. Seamless over [0, period).
float Fbm(float x, float y, int period, int octaves, float gain, std::uint32_t seed);

// Ridged variant of Fbm (1 - |noise| per octave), 0..1, sharp crests.
float Ridged(float x, float y, int period, int octaves, float gain, std::uint32_t seed);

// Distances to the nearest and second-nearest feature point, one point per unit cell,
// repeating every `period` cells. Both are in cell units.
struct CellDistances {
    float nearest = 0, second = 0;
    std::uint32_t id = 0; // hash of the nearest point's cell
};
CellDistances Cellular(float x, float y, int period, std::uint32_t seed);

} // namespace content
