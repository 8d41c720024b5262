#include "geometry/Random.h"

namespace {
std::uint32_t state = 1;
}

int Random() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFFu);
}

void SeedRandom(std::uint32_t seed) {
    state = seed;
}
