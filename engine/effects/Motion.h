#pragma once
// Motion helpers for scenes: camera spins and smooth paths. Single precision, radians.

#include "platform/d3d8/D3D8.h"

// MatrixRotationYawPitchRoll: Z(roll) x X(pitch) x Y(yaw), so a row vector is turned by the
// roll first, then the pitch, then the yaw.
D3DMATRIX& RotationYawPitchRoll(D3DMATRIX& out, float yaw, float pitch, float roll);

// v x the upper 3 x 3 of m (no translation); `out` may be `v`.
D3DVECTOR& TransformNormal(D3DVECTOR& out, const D3DVECTOR& v, const D3DMATRIX& m);

// start + k (end - start) with k = (1 - cos(pi t)) / 2: the start at t = 0, the end at t = 1,
// both with zero speed; t is not clamped (t = 2 is back at the start).
D3DVECTOR& CosineInterpolate(D3DVECTOR& out, float startX, float startY, float startZ, float endX,
                             float endY, float endZ, float t);
D3DVECTOR& CosineInterpolate(D3DVECTOR& out, const D3DVECTOR& start, const D3DVECTOR& end, float t);
