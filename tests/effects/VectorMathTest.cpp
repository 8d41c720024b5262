#include "effects/VectorMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr float pi = 3.1415927f;

void ExpectNear(const D3DVECTOR& actual, const D3DVECTOR& expected, float tolerance = 1e-6f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void ExpectNear(const D3DMATRIX& actual, const D3DMATRIX& expected, float tolerance) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(actual.m[i][j], expected.m[i][j], tolerance)
                << "m[" << i << "][" << j << "]";
}

D3DMATRIX Identity() {
    D3DMATRIX m;
    return MatrixIdentity(m);
}

TEST(VectorMath, LookAtFromDefaultCameraIsIdentityRotationWithTranslation) {
    D3DMATRIX view;
    MatrixLookAtLH(view, {0.0f, 0.0f, -4.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
    D3DMATRIX expected = Identity();
    expected.m[3][2] = 4.0f;
    ExpectNear(view, expected, 0.0f);
}

TEST(VectorMath, LookAtMapsEyeToOriginAndTargetOntoPositiveZ) {
    const D3DVECTOR eye{3.0f, 2.0f, -5.0f};
    const D3DVECTOR at{-1.0f, 0.5f, 2.0f};
    D3DMATRIX view;
    MatrixLookAtLH(view, eye, at, {0.0f, 1.0f, 0.0f});

    D3DVECTOR p;
    ExpectNear(Vec3TransformCoord(p, eye, view), {0.0f, 0.0f, 0.0f}, 1e-5f);
    D3DVECTOR d;
    Vec3Subtract(d, at, eye);
    ExpectNear(Vec3TransformCoord(p, at, view), {0.0f, 0.0f, std::sqrt(Vec3Dot(d, d))}, 1e-5f);
    // A point above the eye stays above in view space (y up, no roll).
    Vec3TransformCoord(p, {eye.x, eye.y + 1.0f, eye.z}, view);
    EXPECT_GT(p.y, 0.9f);
}

TEST(VectorMath, PerspectiveFovLHValuesAndDepthRange) {
    D3DMATRIX projection;
    MatrixPerspectiveFovLH(projection, pi / 4.0f, 1.3333330f, 1.0f, 50.0f);
    EXPECT_NEAR(projection.m[1][1], 2.4142137f, 1e-6f);
    EXPECT_NEAR(projection.m[0][0], 1.8106607f, 1e-6f);
    EXPECT_NEAR(projection.m[2][2], 1.0204082f, 1e-6f);
    EXPECT_EQ(projection.m[2][3], 1.0f);
    EXPECT_NEAR(projection.m[3][2], -1.0204082f, 1e-6f);
    EXPECT_EQ(projection.m[3][3], 0.0f);

    D3DVECTOR p;
    EXPECT_NEAR(Vec3TransformCoord(p, {0.0f, 0.0f, 1.0f}, projection).z, 0.0f, 1e-6f);
    EXPECT_NEAR(Vec3TransformCoord(p, {0.0f, 0.0f, 50.0f}, projection).z, 1.0f, 1e-6f);
}

TEST(VectorMath, NormalizeTolerances) {
    struct Case {
        D3DVECTOR in;
        D3DVECTOR expected;
    };
    const Case cases[] = {
        {{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}},
        {{1e-6f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}},
        {{0.0f, 3.0f, 4.0f}, {0.0f, 0.6f, 0.8f}},
        // Within 1e-5 of unit length squared: returned exactly as given.
        {{0.0f, 1.000004f, 0.0f}, {0.0f, 1.000004f, 0.0f}},
        {{0.0f, 0.0f, -2.0f}, {0.0f, 0.0f, -1.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.in.x << ", " << c.in.y << ", " << c.in.z);
        D3DVECTOR out;
        Vec3Normalize(out, c.in);
        EXPECT_EQ(out.x, c.expected.x);
        EXPECT_EQ(out.y, c.expected.y);
        EXPECT_EQ(out.z, c.expected.z);
        D3DVECTOR inPlace = c.in;
        Vec3Normalize(inPlace, inPlace);
        EXPECT_EQ(inPlace.z, c.expected.z);
    }
}

TEST(VectorMath, RotationsFollowTheLeftHandedConvention) {
    struct Case {
        D3DMATRIX& (*rotation)(D3DMATRIX&, float);
        D3DVECTOR from;
        D3DVECTOR to;
    };
    const Case cases[] = {
        {MatrixRotationX, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}},
        {MatrixRotationY, {0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f}},
        {MatrixRotationZ, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}},
    };
    for (const Case& c : cases) {
        D3DMATRIX m;
        c.rotation(m, pi / 2.0f);
        D3DVECTOR out;
        ExpectNear(Vec3TransformNormal(out, c.from, m), c.to);
        ExpectNear(Vec3TransformCoord(out, c.from, m), c.to);
    }
}

TEST(VectorMath, MultiplyAppliesTheLeftMatrixFirst) {
    D3DMATRIX translate = Identity();
    translate.m[3][0] = 1.0f; // move +x
    D3DMATRIX rotate;
    MatrixRotationZ(rotate, pi / 2.0f); // +x to +y

    D3DMATRIX m;
    D3DVECTOR p;
    MatrixMultiply(m, translate, rotate);
    ExpectNear(Vec3TransformCoord(p, {0.0f, 0.0f, 0.0f}, m), {0.0f, 1.0f, 0.0f});

    // Output aliasing an input.
    MatrixMultiply(rotate, rotate, translate);
    ExpectNear(Vec3TransformCoord(p, {1.0f, 0.0f, 0.0f}, rotate), {1.0f, 1.0f, 0.0f});
}

TEST(VectorMath, YawPitchRollEqualsRollThenPitchThenYaw) {
    std::mt19937 engine(5);
    std::uniform_real_distribution<float> angle(-2.0f * pi, 2.0f * pi);
    for (int i = 0; i < 1000; ++i) {
        const float yaw = angle(engine), pitch = angle(engine), roll = angle(engine);
        D3DMATRIX z, x, y, expected;
        MatrixMultiply(expected, MatrixRotationZ(z, roll), MatrixRotationX(x, pitch));
        MatrixMultiply(expected, expected, MatrixRotationY(y, yaw));
        D3DMATRIX actual;
        MatrixRotationYawPitchRoll(actual, yaw, pitch, roll);
        SCOPED_TRACE(testing::Message() << yaw << " " << pitch << " " << roll);
        ExpectNear(actual, expected, 1e-6f);
        if (HasFailure())
            return;
    }
}

TEST(VectorMath, InverseTimesMatrixIsIdentity) {
    std::mt19937 engine(7);
    std::uniform_real_distribution<float> value(-3.0f, 3.0f);
    D3DMATRIX rotation, scaled;
    MatrixRotationYawPitchRoll(rotation, 0.3f, -1.1f, 2.0f);
    MatrixMultiply(scaled, rotation, rotation);
    scaled.m[3][0] = 5.0f;
    scaled.m[3][2] = -7.0f;
    D3DMATRIX view;
    MatrixLookAtLH(view, {0.0f, 10.0f, -20.0f}, {1.0f, 2.0f, 3.0f}, {0.0f, 1.0f, 0.0f});

    std::vector<D3DMATRIX> matrices = {Identity(), scaled, view};
    for (int n = 0; n < 50; ++n) {
        D3DMATRIX m;
        for (auto& row : m.m)
            for (float& e : row)
                e = value(engine);
        matrices.push_back(m);
    }
    for (const D3DMATRIX& m : matrices) {
        D3DMATRIX inverse, product;
        float determinant = 0.0f;
        ASSERT_EQ(MatrixInverse(inverse, m, &determinant), &inverse);
        EXPECT_NE(determinant, 0.0f);
        ExpectNear(MatrixMultiply(product, inverse, m), Identity(), 1e-4f);
        ExpectNear(MatrixMultiply(product, m, inverse), Identity(), 1e-4f);
    }

    D3DMATRIX inPlace = view;
    MatrixInverse(inPlace, inPlace);
    D3DMATRIX product;
    ExpectNear(MatrixMultiply(product, inPlace, view), Identity(), 1e-5f);
}

TEST(VectorMath, InverseOfSingularMatrixFailsLeavingOutputUnwritten) {
    D3DMATRIX singular = Identity();
    singular.m[2][0] = 1.0f;
    singular.m[2][1] = 2.0f;
    singular.m[2][2] = 3.0f;
    singular.m[1][0] = 2.0f;
    singular.m[1][1] = 4.0f;
    singular.m[1][2] = 6.0f;
    singular.m[1][3] = 0.0f;
    D3DMATRIX degenerateView; // camera position equal to its target
    MatrixLookAtLH(degenerateView, {1.0f, 2.0f, 3.0f}, {1.0f, 2.0f, 3.0f}, {0.0f, 1.0f, 0.0f});

    for (const D3DMATRIX& m : {singular, D3DMATRIX{}, degenerateView}) {
        D3DMATRIX out;
        for (auto& row : out.m)
            for (float& e : row)
                e = 7.0f;
        float determinant = 7.0f;
        EXPECT_EQ(MatrixInverse(out, m, &determinant), nullptr);
        EXPECT_EQ(determinant, 7.0f);
        for (auto& row : out.m)
            for (float e : row)
                EXPECT_EQ(e, 7.0f);
    }
}

TEST(VectorMath, TransformCoordDividesByWOutsideTolerance) {
    D3DMATRIX m = Identity();
    m.m[3][0] = 1.0f;
    m.m[3][3] = 2.0f;
    D3DVECTOR p;
    ExpectNear(Vec3TransformCoord(p, {3.0f, 4.0f, 6.0f}, m), {2.0f, 2.0f, 3.0f});

    m.m[3][3] = 1.000004f; // within 1e-5 of 1: no divide
    Vec3TransformCoord(p, {3.0f, 4.0f, 6.0f}, m);
    EXPECT_EQ(p.x, 4.0f);
    EXPECT_EQ(p.z, 6.0f);

    // Directions ignore the translation row.
    ExpectNear(Vec3TransformNormal(p, {3.0f, 4.0f, 6.0f}, m), {3.0f, 4.0f, 6.0f});
}

TEST(VectorMath, CrossFollowsOperandOrder) {
    D3DVECTOR c;
    ExpectNear(Vec3Cross(c, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}), {0.0f, 0.0f, 1.0f});
    ExpectNear(Vec3Cross(c, {2.0f, 3.0f, 4.0f}, {5.0f, 6.0f, 7.0f}), {-3.0f, 6.0f, -3.0f});
    D3DVECTOR a{0.0f, 1.0f, 0.0f};
    ExpectNear(Vec3Cross(a, a, {1.0f, 0.0f, 0.0f}), {0.0f, 0.0f, -1.0f});
}

} // namespace
