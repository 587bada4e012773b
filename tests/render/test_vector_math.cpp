#include "render/VectorMath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
const float kPi = 3.14159265358979f;
}

TEST(Vec3, ZeroVectorStaysZeroWhenNormalizedOrResized) {
    Vec3 z;
    Vec3 n = z.normalized();
    EXPECT_EQ(n.x, 0.0f);
    EXPECT_EQ(n.y, 0.0f);
    EXPECT_EQ(n.z, 0.0f);
    z.setLength(5.0f);
    EXPECT_EQ(z.x, 0.0f);
    EXPECT_EQ(z.z, 0.0f);
    Vec3 v(3, 0, 4);
    v.setLength(10.0f);
    EXPECT_NEAR(v.x, 6.0f, 1e-5);
    EXPECT_NEAR(v.z, 8.0f, 1e-5);
}

TEST(Vec3, IndexWrapsWithMaskAndIndexThreeStaysInside) {
    Vec3 v(1, 2, 3);
    EXPECT_EQ(v[0], 1.0f);
    EXPECT_EQ(v[2], 3.0f);
    EXPECT_EQ(v[4], 1.0f);
    EXPECT_EQ(v[6], 3.0f);
    EXPECT_EQ(v[3], 3.0f);
    v[5] = 9.0f;
    EXPECT_EQ(v.y, 9.0f);
}

TEST(Vec3, RotationSensesFollowTheFormulas) {
    const float q = kPi / 2;
    Vec3 ry = Vec3(1, 0, 0).rotatedAbout(1, q);  // (x c + z s, y, z c - x s)
    EXPECT_NEAR(ry.x, 0.0f, 1e-6);
    EXPECT_NEAR(ry.z, -1.0f, 1e-6);
    Vec3 rz = Vec3(1, 0, 0).rotatedAbout(2, q);
    EXPECT_NEAR(rz.y, 1.0f, 1e-6);
    // About x the sense is the opposite of the right-handed one: y goes to -z.
    Vec3 rx = Vec3(0, 1, 0).rotatedAbout(0, q);
    EXPECT_NEAR(rx.y, 0.0f, 1e-6);
    EXPECT_NEAR(rx.z, -1.0f, 1e-6);
    Vec3 other = Vec3(1, 2, 3).rotatedAbout(7, q);
    EXPECT_EQ(other.y, 2.0f);
}

TEST(Vec3, CrossDotAndProjection) {
    Vec3 c = cross(Vec3(1, 0, 0), Vec3(0, 1, 0));
    EXPECT_EQ(c.z, 1.0f);
    EXPECT_EQ(dot(Vec3(1, 2, 3), Vec3(4, 5, 6)), 32.0f);
    Vec3 p = Vec3(3, 4, 0).projectedOnto(Vec3(2, 0, 0));
    EXPECT_NEAR(p.x, 3.0f, 1e-6);
    EXPECT_NEAR(p.y, 0.0f, 1e-6);
}

TEST(Matrix, MultiplyIsColumnMajorAndRowsColumnsRead) {
    float a[16] = {0}, b[16] = {0}, out[16];
    for (int i = 0; i < 4; ++i) a[5 * i] = 1.0f;
    a[12] = 5.0f;  // translation x in column 3
    for (int k = 0; k < 16; ++k) b[k] = static_cast<float>(k);
    multiplyMatrices(a, b, out);
    // Column 0 of b is (0,1,2,3): a applied to it adds 5 * w to x.
    EXPECT_EQ(out[0], 0.0f + 5.0f * 3.0f);
    EXPECT_EQ(out[1], 1.0f);
    float row[4], col[4];
    matrixRow(b, row, 1);
    EXPECT_EQ(row[0], 1.0f);
    EXPECT_EQ(row[3], 13.0f);
    matrixColumn(b, col, 2);
    EXPECT_EQ(col[0], 8.0f);
    multiplyMatrices(a, b, b);  // in place
    EXPECT_EQ(b[0], 15.0f);
}

TEST(AngleOf, QuadrantsAndAxis) {
    EXPECT_NEAR(angleOf(0, 0), kPi / 2, 1e-6);
    EXPECT_NEAR(angleOf(-1, 0), -kPi / 2, 1e-6);
    EXPECT_NEAR(angleOf(1, -1), 3 * kPi / 4, 1e-6);
    EXPECT_NEAR(angleOf(-1, -1), 5 * kPi / 4, 1e-6);
    EXPECT_NEAR(angleOf(1, 1), kPi / 4, 1e-6);
}

TEST(FadeCurve, RiseBoundariesAndOddCycles) {
    FadeCurve f;
    f.start = 1.0f;
    f.length = 2.0f;
    EXPECT_EQ(f.fadeIn(1.0f, 1, 1), 0.0f);
    EXPECT_NEAR(f.fadeIn(2.0f, 1, 1), 0.5f, 1e-6);
    EXPECT_NEAR(f.fadeIn(3.0f, 3, 1), 1.0f, 1e-6);  // p = 1, odd cycles end at 1
    EXPECT_EQ(f.fadeIn(3.01f, 2, 1), 1.0f);
    EXPECT_EQ(f.fadeOut(1.0f, 1, 1), 1.0f);
    EXPECT_EQ(f.fadeOut(3.5f, 1, 1), 0.0f);
    EXPECT_NEAR(f.fadeOut(2.0f, 1, 1), 0.5f, 1e-6);
    EXPECT_NEAR(f.linearIn(2.5f), 0.75f, 1e-6);
    EXPECT_NEAR(f.linearOut(2.5f), 0.25f, 1e-6);
}

TEST(FadeCurve, LengthScaleKeepsCosineRunningAndInOutEndsAtZero) {
    FadeCurve f;
    f.start = 0.0f;
    f.length = 1.0f;
    f.lengthScale = 2.0f;
    // Even cycles: just past the nominal length the curve heads back towards 0.
    EXPECT_LT(f.fadeIn(1.25f, 2, 1), 0.9f);
    EXPECT_EQ(f.fadeIn(2.01f, 2, 1), 1.0f);
    f.lengthScale = 1.0f;
    f.outStart = 5.0f;
    f.outLength = 1.0f;
    EXPECT_EQ(f.fadeInOut(7.0f, 1, 1), 0.0f);
    EXPECT_NEAR(f.fadeInOut(3.0f, 1, 1), 1.0f, 1e-6);
}
