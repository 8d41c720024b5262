#pragma once
// Single-precision vector and matrix maths with the Direct3D conventions: matrices are
// m[row][column] and are used with row vectors (v' = v x M, row 3 holds the translation), so
// A x B applies A first, then B. Space is left-handed (x right, y up, z into the screen); a
// positive angle about z turns +x towards +y, about x turns +y towards +z, about y turns +z
// towards +x. Angles are in radians.
//
// Every operation writes through its first argument and returns it; the output may be the
// same object as any input.

#include "platform/d3d8/D3D8.h"

D3DMATRIX& MatrixIdentity(D3DMATRIX& out);
// out = a x b.
D3DMATRIX& MatrixMultiply(D3DMATRIX& out, const D3DMATRIX& a, const D3DMATRIX& b);
D3DMATRIX& MatrixRotationX(D3DMATRIX& out, float angle);
D3DMATRIX& MatrixRotationY(D3DMATRIX& out, float angle);
D3DMATRIX& MatrixRotationZ(D3DMATRIX& out, float angle);
// RotationZ(roll) x RotationX(pitch) x RotationY(yaw), built through a quaternion.
D3DMATRIX& MatrixRotationYawPitchRoll(D3DMATRIX& out, float yaw, float pitch, float roll);
// Left-handed view matrix looking from `eye` towards `at`.
D3DMATRIX& MatrixLookAtLH(D3DMATRIX& out, const D3DVECTOR& eye, const D3DVECTOR& at,
                          const D3DVECTOR& up);
// Left-handed projection; depth after the divide runs from 0 at zNear to 1 at zFar.
D3DMATRIX& MatrixPerspectiveFovLH(D3DMATRIX& out, float fovY, float aspect, float zNear,
                                  float zFar);
// Returns &out, or nullptr when m is singular (the reciprocal of its determinant is not
// finite); `out` and `determinant` are then left unwritten.
D3DMATRIX* MatrixInverse(D3DMATRIX& out, const D3DMATRIX& m, float* determinant = nullptr);

float Vec3Dot(const D3DVECTOR& a, const D3DVECTOR& b);
D3DVECTOR& Vec3Subtract(D3DVECTOR& out, const D3DVECTOR& a, const D3DVECTOR& b);
D3DVECTOR& Vec3Cross(D3DVECTOR& out, const D3DVECTOR& a, const D3DVECTOR& b);
// With q = |v|^2: v itself when |q - 1| <= 1e-5, (0, 0, 0) when q <= 1e-10, else v / sqrt(q).
D3DVECTOR& Vec3Normalize(D3DVECTOR& out, const D3DVECTOR& v);
// (x, y, z, 1) x m, divided by w unless |w - 1| <= 1e-5.
D3DVECTOR& Vec3TransformCoord(D3DVECTOR& out, const D3DVECTOR& v, const D3DMATRIX& m);
// (x, y, z, 0) x m: rotation and scale only, no translation.
D3DVECTOR& Vec3TransformNormal(D3DVECTOR& out, const D3DVECTOR& v, const D3DMATRIX& m);
