#include "effects/VectorMath.h"

#include "platform/MathF.h"

#include <cmath>

D3DMATRIX& MatrixIdentity(D3DMATRIX& out) {
    out = D3DMATRIX{};
    for (int i = 0; i < 4; ++i)
        out.m[i][i] = 1.0f;
    return out;
}

D3DMATRIX& MatrixMultiply(D3DMATRIX& out, const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX product;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            product.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] +
                              a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
        }
    }
    out = product;
    return out;
}

D3DMATRIX& MatrixRotationX(D3DMATRIX& out, float angle) {
    const float c = CosF(angle);
    const float s = SinF(angle);
    MatrixIdentity(out);
    out.m[1][1] = c;
    out.m[1][2] = s;
    out.m[2][1] = -s;
    out.m[2][2] = c;
    return out;
}

D3DMATRIX& MatrixRotationY(D3DMATRIX& out, float angle) {
    const float c = CosF(angle);
    const float s = SinF(angle);
    MatrixIdentity(out);
    out.m[0][0] = c;
    out.m[0][2] = -s;
    out.m[2][0] = s;
    out.m[2][2] = c;
    return out;
}

D3DMATRIX& MatrixRotationZ(D3DMATRIX& out, float angle) {
    const float c = CosF(angle);
    const float s = SinF(angle);
    MatrixIdentity(out);
    out.m[0][0] = c;
    out.m[0][1] = s;
    out.m[1][0] = -s;
    out.m[1][1] = c;
    return out;
}

D3DMATRIX& MatrixRotationYawPitchRoll(D3DMATRIX& out, float yaw, float pitch, float roll) {
    const float cy = CosF(yaw * 0.5f), sy = SinF(yaw * 0.5f);
    const float cp = CosF(pitch * 0.5f), sp = SinF(pitch * 0.5f);
    const float cr = CosF(roll * 0.5f), sr = SinF(roll * 0.5f);

    const float x = cy * sp * cr + sy * cp * sr;
    const float y = sy * cp * cr - cy * sp * sr;
    const float z = cy * cp * sr - sy * sp * cr;
    const float w = cy * cp * cr + sy * sp * sr;

    out = D3DMATRIX{{
        {1.0f - 2.0f * (y * y + z * z), 2.0f * (x * y + z * w), 2.0f * (x * z - y * w), 0.0f},
        {2.0f * (x * y - z * w), 1.0f - 2.0f * (x * x + z * z), 2.0f * (y * z + x * w), 0.0f},
        {2.0f * (x * z + y * w), 2.0f * (y * z - x * w), 1.0f - 2.0f * (x * x + y * y), 0.0f},
        {0.0f, 0.0f, 0.0f, 1.0f},
    }};
    return out;
}

D3DMATRIX& MatrixLookAtLH(D3DMATRIX& out, const D3DVECTOR& eye, const D3DVECTOR& at,
                          const D3DVECTOR& up) {
    D3DVECTOR z, x, y;
    Vec3Normalize(z, Vec3Subtract(z, at, eye));
    Vec3Normalize(x, Vec3Cross(x, up, z));
    Vec3Cross(y, z, x);
    out = D3DMATRIX{{
        {x.x, y.x, z.x, 0.0f},
        {x.y, y.y, z.y, 0.0f},
        {x.z, y.z, z.z, 0.0f},
        {-Vec3Dot(x, eye), -Vec3Dot(y, eye), -Vec3Dot(z, eye), 1.0f},
    }};
    return out;
}

D3DMATRIX& MatrixPerspectiveFovLH(D3DMATRIX& out, float fovY, float aspect, float zNear,
                                  float zFar) {
    const float ys = CosF(fovY * 0.5f) / SinF(fovY * 0.5f);
    const float xs = ys / aspect;
    const float depth = zFar - zNear;
    out = D3DMATRIX{{
        {xs, 0.0f, 0.0f, 0.0f},
        {0.0f, ys, 0.0f, 0.0f},
        {0.0f, 0.0f, zFar / depth, 1.0f},
        {0.0f, 0.0f, -zNear * zFar / depth, 0.0f},
    }};
    return out;
}

D3DMATRIX* MatrixInverse(D3DMATRIX& out, const D3DMATRIX& m, float* determinant) {
    const auto& a = m.m;
    // 2 x 2 minors of the top two rows (s) and the bottom two rows (c); the determinant is
    // their Laplace expansion and the adjugate is built from the same minors.
    const float s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
    const float s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
    const float s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
    const float s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
    const float s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
    const float s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
    const float c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];
    const float c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
    const float c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
    const float c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
    const float c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
    const float c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];

    const float det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    const float r = 1.0f / det;
    if (!std::isfinite(r))
        return nullptr;

    const D3DMATRIX inverse{{
        {(a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3) * r,
         (-a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3) * r,
         (a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3) * r,
         (-a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3) * r},
        {(-a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1) * r,
         (a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1) * r,
         (-a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1) * r,
         (a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1) * r},
        {(a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0) * r,
         (-a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0) * r,
         (a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0) * r,
         (-a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0) * r},
        {(-a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0) * r,
         (a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0) * r,
         (-a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0) * r,
         (a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0) * r},
    }};
    out = inverse;
    if (determinant)
        *determinant = det;
    return &out;
}

float Vec3Dot(const D3DVECTOR& a, const D3DVECTOR& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

D3DVECTOR& Vec3Subtract(D3DVECTOR& out, const D3DVECTOR& a, const D3DVECTOR& b) {
    out = D3DVECTOR{a.x - b.x, a.y - b.y, a.z - b.z};
    return out;
}

D3DVECTOR& Vec3Cross(D3DVECTOR& out, const D3DVECTOR& a, const D3DVECTOR& b) {
    out = D3DVECTOR{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    return out;
}

D3DVECTOR& Vec3Normalize(D3DVECTOR& out, const D3DVECTOR& v) {
    const float q = v.x * v.x + v.y * v.y + v.z * v.z;
    if (AbsF(q - 1.0f) <= 0.00001f) {
        out = v;
    } else if (q <= 1e-10f) {
        out = D3DVECTOR{0.0f, 0.0f, 0.0f};
    } else {
        const float length = SqrtF(q);
        out = D3DVECTOR{v.x / length, v.y / length, v.z / length};
    }
    return out;
}

D3DVECTOR& Vec3TransformCoord(D3DVECTOR& out, const D3DVECTOR& v, const D3DMATRIX& m) {
    const auto& a = m.m;
    const float x = v.x * a[0][0] + v.y * a[1][0] + v.z * a[2][0] + a[3][0];
    const float y = v.x * a[0][1] + v.y * a[1][1] + v.z * a[2][1] + a[3][1];
    const float z = v.x * a[0][2] + v.y * a[1][2] + v.z * a[2][2] + a[3][2];
    const float w = v.x * a[0][3] + v.y * a[1][3] + v.z * a[2][3] + a[3][3];
    if (AbsF(w - 1.0f) <= 0.00001f)
        out = D3DVECTOR{x, y, z};
    else
        out = D3DVECTOR{x / w, y / w, z / w};
    return out;
}

D3DVECTOR& Vec3TransformNormal(D3DVECTOR& out, const D3DVECTOR& v, const D3DMATRIX& m) {
    const auto& a = m.m;
    out = D3DVECTOR{v.x * a[0][0] + v.y * a[1][0] + v.z * a[2][0],
                    v.x * a[0][1] + v.y * a[1][1] + v.z * a[2][1],
                    v.x * a[0][2] + v.y * a[1][2] + v.z * a[2][2]};
    return out;
}
