#include "render/Camera.h"
#include "support/GlTestWindow.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>

namespace {

const float kPi = 3.14159265358979f;

// Column-major matrix times (p, 1).
Vec3 transformPoint(const float* m, const Vec3& p) {
    return Vec3(m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
                m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
                m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]);
}

Vec3 transformDirection(const float* m, const Vec3& d) {
    return Vec3(m[0] * d.x + m[4] * d.y + m[8] * d.z, m[1] * d.x + m[5] * d.y + m[9] * d.z,
                m[2] * d.x + m[6] * d.y + m[10] * d.z);
}

void expectVecNear(const Vec3& a, const Vec3& b, float tolerance = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

class CameraGl : public ::testing::Test {
protected:
    void SetUp() override {
        if (!gltest::ensureWindow(512, 512)) GTEST_SKIP() << "no display";
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glViewport(0, 0, 512, 512);
    }
};

GLint integer(GLenum what) {
    GLint v = 0;
    glGetIntegerv(what, &v);
    return v;
}

}  // namespace

TEST_F(CameraGl, ApplyStoresTheViewItSets) {
    Camera cam("c", 60.0f, 2.0f, 0.5f, 50.0f, 400.7f, 300.2f, 100, 75);
    cam.position = Vec3(1, 2, 3);
    cam.direction = Vec3(0, 0, 4);
    cam.apply();

    float projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(cam.projectionMatrix[i], projection[i]);
        EXPECT_EQ(cam.modelviewMatrix[i], modelview[i]);
    }
    // Perspective: vertical focal length 1 / tan(fov / 2), horizontal divided by the aspect.
    const float focal = 1.0f / std::tan(30.0f * kPi / 180.0f);
    EXPECT_NEAR(projection[5], focal, 1e-4f);
    EXPECT_NEAR(projection[0], focal / 2.0f, 1e-4f);
    EXPECT_NEAR(projection[14], 2.0f * 50.0f * 0.5f / (0.5f - 50.0f), 1e-4f);

    // The eye sits at the origin of eye space, the look-at point straight ahead on -z.
    expectVecNear(transformPoint(modelview, cam.position), Vec3(0, 0, 0));
    expectVecNear(transformPoint(modelview, cam.position + cam.direction), Vec3(0, 0, -4));
    expectVecNear(transformDirection(modelview, Vec3(0, 1, 0)), Vec3(0, 1, 0));

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 400);  // truncated
    EXPECT_EQ(viewport[3], 300);
    cam.restore();
}

TEST_F(CameraGl, UpIsStraightenedAndRollTurnsAboutTheViewAxis) {
    Camera cam("c", 45, 1, 0.1f, 100, 512, 512, 128, 128);
    cam.direction = Vec3(0, 0, 1);
    cam.up = Vec3(0, 1, 1);  // leans along the view axis; only (0, 1, 0) is left of it
    cam.apply();
    expectVecNear(transformDirection(cam.modelviewMatrix, Vec3(0, 1, 0)), Vec3(0, 1, 0));
    cam.restore();

    cam.up = Vec3(0, 1, 0);
    cam.roll = 90.0f;
    cam.apply();
    // Rolled by 90 degrees: world up now lies along the eye's x axis.
    Vec3 upInEye = transformDirection(cam.modelviewMatrix, Vec3(0, 1, 0));
    EXPECT_NEAR(std::fabs(upInEye.x), 1.0f, 1e-4f);
    EXPECT_NEAR(upInEye.y, 0.0f, 1e-4f);
    cam.restore();
}

TEST_F(CameraGl, RestoreAfterApplySmallPopsExactlyWhatWasPushed) {
    const float marker[16] = {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 5, 6, 7, 1};
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(marker);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(marker);
    const GLint projectionDepth = integer(GL_PROJECTION_STACK_DEPTH);
    const GLint modelviewDepth = integer(GL_MODELVIEW_STACK_DEPTH);

    Camera cam("c", 45, 1, 0.1f, 100, 512, 512, 128, 96);
    cam.apply();
    float storedModelview[16];
    for (int i = 0; i < 16; ++i) storedModelview[i] = cam.modelviewMatrix[i];
    cam.restore();

    cam.position = Vec3(5, 5, 5);
    glMatrixMode(GL_PROJECTION);  // restore must select the stacks itself
    cam.applySmall();
    EXPECT_EQ(integer(GL_PROJECTION_STACK_DEPTH), projectionDepth + 1);
    EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), modelviewDepth + 1);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 128);
    EXPECT_EQ(viewport[3], 96);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(cam.modelviewMatrix[i], storedModelview[i]);

    cam.restore();
    EXPECT_EQ(integer(GL_PROJECTION_STACK_DEPTH), projectionDepth);
    EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), modelviewDepth);
    EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], marker[i]);
    glMatrixMode(GL_PROJECTION);
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], marker[i]);
    glMatrixMode(GL_MODELVIEW);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(CameraGl, ZeroDirectionGivesAFiniteView) {
    Camera cam("c", 45, 1, 0.1f, 100, 512, 512, 128, 128);
    cam.direction = Vec3(0, 0, 0);
    cam.apply();
    for (int i = 0; i < 16; ++i) EXPECT_TRUE(std::isfinite(cam.modelviewMatrix[i]));
    cam.restore();
}
