#include "effects/Motion.h"

#include "effects/VectorMath.h"
#include "platform/MathF.h"

D3DMATRIX& RotationYawPitchRoll(D3DMATRIX& out, float yaw, float pitch, float roll) {
    return MatrixRotationYawPitchRoll(out, yaw, pitch, roll);
}

D3DVECTOR& TransformNormal(D3DVECTOR& out, const D3DVECTOR& v, const D3DMATRIX& m) {
    return Vec3TransformNormal(out, v, m);
}

D3DVECTOR& CosineInterpolate(D3DVECTOR& out, float startX, float startY, float startZ, float endX,
                             float endY, float endZ, float t) {
    const float pi = 3.1415927f;
    const float k = 1.0f - (CosF(t * pi) + 1.0f) * 0.5f;
    out = D3DVECTOR{startX + k * (endX - startX), startY + k * (endY - startY),
                    startZ + k * (endZ - startZ)};
    return out;
}

D3DVECTOR& CosineInterpolate(D3DVECTOR& out, const D3DVECTOR& start, const D3DVECTOR& end,
                             float t) {
    return CosineInterpolate(out, start.x, start.y, start.z, end.x, end.y, end.z, t);
}
