#include "render/Camera.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expectVecNear(const Vec3& a, const Vec3& b, float tolerance = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

// Cubic Bezier through P0, C0, C1, P1 at u, written out independently of the path code.
Vec3 bezier(const Vec3& p0, const Vec3& c0, const Vec3& c1, const Vec3& p1, float u) {
    float v = 1.0f - u;
    return p0 * (v * v * v) + c0 * (3 * u * v * v) + c1 * (3 * u * u * v) + p1 * (u * u * u);
}

CameraPath fourPointPath(bool closed) {
    CameraPath path(closed);
    path.addPoint(0, 0, 0);
    path.addPoint(1, 1, 0);
    path.addPoint(2, 1, 0);
    path.addPoint(3, 0, 0);
    return path;
}

}  // namespace

TEST(Camera, OutOfRangeProjectionValuesFallBackToDefaults) {
    Camera zeroFov("a", 0.0f, -1.0f, 5.0f, 1.0f, 512, 512, 128, 128);
    EXPECT_EQ(zeroFov.fov, 45.0f);
    EXPECT_EQ(zeroFov.aspect, 1.0f);
    EXPECT_FLOAT_EQ(zeroFov.nearPlane, 0.1f);
    EXPECT_FLOAT_EQ(zeroFov.farPlane, 100.0f);

    Camera straightFov("b", 180.0f, 1.5f, 0.5f, 50.0f, 512, 512, 128, 128);
    EXPECT_EQ(straightFov.fov, 45.0f);
    EXPECT_EQ(straightFov.aspect, 1.5f);
    EXPECT_EQ(straightFov.nearPlane, 0.5f);
    EXPECT_EQ(straightFov.farPlane, 50.0f);

    // Values just inside the open range are kept; aspect 0 is kept for the engine to replace.
    Camera edges("c", 179.5f, 0.0f, 0.0f, 0.0f, 512, 512, 128, 128);
    EXPECT_EQ(edges.fov, 179.5f);
    EXPECT_EQ(edges.aspect, 0.0f);
    EXPECT_EQ(edges.nearPlane, 0.0f);
    EXPECT_EQ(edges.farPlane, 0.0f);
}

TEST(Camera, ConstructionSetsViewDefaultsAndSizes) {
    Camera cam("SceneX.camera0", 45, 1.25f, 0.1f, 100, 512, 256, 128, 64);
    EXPECT_EQ(cam.name, "SceneX.camera0");
    expectVecNear(cam.position, Vec3(0, 0, 0));
    expectVecNear(cam.direction, Vec3(0, 0, 1));
    expectVecNear(cam.up, Vec3(0, 1, 0));
    EXPECT_EQ(cam.roll, 0.0f);
    EXPECT_EQ(cam.viewWidth, 512.0f);
    EXPECT_EQ(cam.viewHeight, 256.0f);
    EXPECT_EQ(cam.smallWidth, 128.0f);
    EXPECT_EQ(cam.smallHeight, 64.0f);
}

TEST(Camera, SettersCheckTheirRangesIndependently) {
    Camera cam("c", 45, 1, 0.1f, 100, 1, 1, 1, 1);
    cam.setClipPlanes(-1.0f, 10.0f);  // only near is bad
    EXPECT_FLOAT_EQ(cam.nearPlane, 0.1f);
    EXPECT_EQ(cam.farPlane, 10.0f);
    cam.setClipPlanes(2.0f, 2.0f);  // equal planes are ordered
    EXPECT_EQ(cam.nearPlane, 2.0f);
    EXPECT_EQ(cam.farPlane, 2.0f);
    cam.setClipPlanes(3.0f, -1.0f);  // unordered: both replaced
    EXPECT_FLOAT_EQ(cam.nearPlane, 0.1f);
    EXPECT_EQ(cam.farPlane, 100.0f);

    cam.setFov(-10.0f);
    EXPECT_EQ(cam.fov, 45.0f);
    cam.setFov(90.0f);
    EXPECT_EQ(cam.fov, 90.0f);
    cam.setAspect(-0.01f);
    EXPECT_EQ(cam.aspect, 1.0f);
}

TEST(Camera, LookAtPointsTheDirectionFromTheEye) {
    Camera cam("c", 45, 1, 0.1f, 100, 1, 1, 1, 1);
    cam.position = Vec3(1, 2, 3);
    cam.lookAt(Vec3(4, 2, -1));
    expectVecNear(cam.direction, Vec3(3, 0, -4));
}

TEST(CameraPath, OpenPathAtHalfUsesTheMiddleSegment) {
    CameraPath path = fourPointPath(false);
    Vec3 out;
    // Without tangents the middle segment at u = 0.5 is the midpoint of points 1 and 2.
    path.evaluate(0.5f, out);
    expectVecNear(out, Vec3(1.5f, 1.0f, 0.0f));
    expectVecNear(path.segmentStart, path.points[1]);
    expectVecNear(path.segmentEnd, path.points[2]);

    path.computeTangents(false, 1.0f);
    path.evaluate(0.5f, out);
    const Vec3 c0 = path.points[1] + path.tangents[1];
    const Vec3 c1 = path.points[2] - path.tangents[2];
    expectVecNear(out, bezier(path.points[1], c0, c1, path.points[2], 0.5f));
    expectVecNear(path.segmentControlA, c0);
    expectVecNear(path.segmentControlB, c1);
}

TEST(CameraPath, ClosedPathRunsItsLastSegmentBackToTheStart) {
    CameraPath path = fourPointPath(true);
    path.computeTangents(false, 1.0f);
    // Inner tangent: neighbours' difference; end tangents wrap round on a closed path.
    expectVecNear(path.tangents[1], path.points[2] - path.points[0]);
    expectVecNear(path.tangents[0], path.points[1] - path.points[3]);
    expectVecNear(path.tangents[3], path.points[0] - path.points[2]);

    Vec3 out;
    path.evaluate(0.875f, out);  // s = 3.5: from point 3 to point 0
    expectVecNear(path.segmentStart, path.points[3]);
    expectVecNear(path.segmentEnd, path.points[0]);
    const Vec3 c0 = path.points[3] + path.tangents[3];
    const Vec3 c1 = path.points[0] - path.tangents[0];
    expectVecNear(out, bezier(path.points[3], c0, c1, path.points[0], 0.5f));
}

TEST(CameraPath, OnlyTheFractionalPartOfTheParameterCounts) {
    for (bool closed : {false, true}) {
        CameraPath path = fourPointPath(closed);
        path.computeTangents(false, 1.0f);
        Vec3 atOne, atZero, atOneAndAQuarter, atAQuarter;
        path.evaluate(1.0f, atOne);
        path.evaluate(0.0f, atZero);
        expectVecNear(atOne, path.points[0]);
        expectVecNear(atZero, path.points[0]);
        path.evaluate(1.25f, atOneAndAQuarter);
        path.evaluate(0.25f, atAQuarter);
        expectVecNear(atOneAndAQuarter, atAQuarter, 1e-4f);
    }
}

TEST(CameraPath, UnusualParametersStayInsideThePoints) {
    CameraPath path = fourPointPath(false);
    path.computeTangents(false, 1.0f);
    Vec3 out(9, 9, 9);
    path.evaluate(NAN, out);
    expectVecNear(out, path.points[0]);
    path.evaluate(-0.25f, out);  // counted back from the end: the same as 0.75
    Vec3 threeQuarters;
    path.evaluate(0.75f, threeQuarters);
    expectVecNear(out, threeQuarters, 1e-4f);
}

TEST(CameraPath, NormalisedTangentsAreScaledAndLengthIsMeasured) {
    // Three points on a line with tangents of a third of the spacing: the curve runs straight
    // at even speed, so the arc length is the line's length less the final piece that is
    // never added (at most two base steps of 1/300).
    CameraPath path(false);
    path.addPoint(0, 0, 0);
    path.addPoint(1, 0, 0);
    path.addPoint(2, 0, 0);
    path.position = 0.7f;
    path.computeTangents(true, 1.0f / 3.0f);
    EXPECT_EQ(path.position, 0.0f);
    EXPECT_TRUE(path.normalizeTangents);
    for (const Vec3& t : path.tangents) expectVecNear(t, Vec3(1.0f / 3.0f, 0, 0));
    EXPECT_LT(path.length, 2.0f);
    EXPECT_GT(path.length, 2.0f - 2.0f * 2.0f / 300.0f);
}

TEST(CameraPath, UnnormalisedTangentsKeepTheirLengths) {
    CameraPath path = fourPointPath(false);
    path.computeTangents(false, 5.0f);
    expectVecNear(path.tangents[0], path.points[1] - path.points[0]);
    expectVecNear(path.tangents[3], path.points[3] - path.points[2]);
    expectVecNear(path.tangents[2], path.points[3] - path.points[1]);
}

TEST(CameraPath, AdvanceStopsAtOneUnlessLooping) {
    CameraPath open(false);
    open.addPoint(0, 0, 0);
    open.addPoint(4, 0, 0);
    open.addPoint(8, 0, 0);
    open.computeTangents(true, 4.0f / 3.0f);
    Vec3 out;
    const float quarter = open.length * 0.25f;
    open.advance(quarter, out);
    EXPECT_NEAR(open.position, 0.25f, 1e-5f);
    EXPECT_NEAR(open.peek(quarter), 0.5f, 1e-5f);
    EXPECT_NEAR(open.position, 0.25f, 1e-5f);  // peek moves nothing
    open.advance(open.length * 10.0f, out);
    EXPECT_EQ(open.position, 1.0f);
    expectVecNear(out, open.points[0]);  // parameter 1 is the first point
    EXPECT_EQ(open.peek(quarter), 1.0f);

    CameraPath loop(true);
    loop.addPoint(0, 0, 0);
    loop.addPoint(4, 0, 0);
    loop.addPoint(4, 4, 0);
    loop.computeTangents(false, 1.0f);
    loop.advance(loop.length * 1.25f, out);
    EXPECT_NEAR(loop.position, 1.25f, 1e-5f);
    Vec3 atQuarter;
    loop.evaluate(0.25f, atQuarter);
    expectVecNear(out, atQuarter, 1e-4f);
}

TEST(CameraPath, PathsWithoutLengthDoNotMove) {
    CameraPath single(false);
    single.addPoint(1, 2, 3);
    single.computeTangents(true, 1.0f);
    EXPECT_EQ(single.length, 0.0f);
    Vec3 out;
    single.evaluate(0.5f, out);
    expectVecNear(out, Vec3(1, 2, 3));
    single.advance(1.0f, out);
    EXPECT_EQ(single.position, 0.0f);
    expectVecNear(out, Vec3(1, 2, 3));

    CameraPath empty(true);
    empty.computeTangents(false, 1.0f);
    empty.evaluate(0.3f, out);
    expectVecNear(out, Vec3(0, 0, 0));
    int n = 0;
    CameraPath target(false);
    empty.resample(target, n);
    EXPECT_EQ(target.count, 0);
}

TEST(CameraPath, ResampleCountIsAMultipleOfThePointCount) {
    CameraPath path = fourPointPath(true);
    path.computeTangents(true, 0.5f);
    int n = 0;
    path.resampleCount(n);
    EXPECT_GT(n, 0);
    EXPECT_EQ(n % path.count, 0);
    int given = 7;
    path.resampleCount(given);
    EXPECT_EQ(given, 7);
}

TEST(CameraPath, ResampledPointsAreEvenlySpaced) {
    CameraPath path(false);
    path.addPoint(0, 0, 0);
    path.addPoint(3, 0, 0);
    path.addPoint(3, 3, 0);
    path.addPoint(6, 3, 0);
    path.computeTangents(true, 1.0f);
    const int n = 24;
    CameraPath target(false);
    path.resample(target, n);
    ASSERT_GT(target.count, 2);
    const float spacing = path.length / n;
    Vec3 previous;
    path.evaluate(0.0f, previous);
    // The last sample is taken at a parameter of 1 or more, which lies at the start again;
    // every gap before it lies in the band.
    for (int i = 0; i + 1 < target.count; ++i) {
        float gap = (target.points[i] - previous).length();
        EXPECT_GE(gap, spacing - 0.1f - 1e-4f) << "sample " << i;
        EXPECT_LE(gap, spacing + 0.1f + 1e-4f) << "sample " << i;
        previous = target.points[i];
    }
    EXPECT_EQ(target.normalizeTangents, path.normalizeTangents);
    EXPECT_FLOAT_EQ(target.tangentScale, path.count * path.tangentScale / n);
    EXPECT_GT(target.length, 0.0f);
}
