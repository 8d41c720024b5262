#pragma once
// Single-precision maths: argument and result are floats, computed in float.

#include <cmath>

inline float SinF(float x) {
    return std::sin(x);
}
inline float CosF(float x) {
    return std::cos(x);
}
inline float SqrtF(float x) {
    return std::sqrt(x);
}
inline float AbsF(float x) {
    return std::fabs(x);
}
