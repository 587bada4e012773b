// One object drawn in each pass type and the light set-up, under identity matrices so that
// the triangle covers the middle of the window.
#include "render/SceneObject.h"
#include "render/object_gl_support.h"

#include <gtest/gtest.h>

using objtest::enabled;
using objtest::integer;

namespace {

const int kMid = objtest::kSize / 2;

class SceneObjectGl : public ::testing::Test {
protected:
    void SetUp() override {
        if (!objtest::openWindow()) GTEST_SKIP() << "no display";
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_COLOR_MATERIAL);
        white = objtest::solidTexture(255, 255, 255, 255);
        red = objtest::solidTexture(255, 0, 0, 255);
    }
    void TearDown() override {
        glDeleteTextures(1, &white);
        glDeleteTextures(1, &red);
    }

    // A triangle in the plane z = 0 around the window's middle, every corner in colour c.
    void addTriangle(SceneObject& o, const Vec3& c) {
        int a = o.addVertex(Vec3(-0.8f, -0.8f, 0.0f), Vec3(0.1f, 0.1f, 0), c);
        int b = o.addVertex(Vec3(0.8f, -0.8f, 0.0f), Vec3(0.9f, 0.1f, 0), c);
        int d = o.addVertex(Vec3(0.0f, 0.8f, 0.0f), Vec3(0.5f, 0.9f, 0), c);
        o.addFace(a, b, d);
    }

    void clear(float v) {
        glClearColor(v, v, v, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    GLuint white = 0, red = 0;
};

void expectPixelNear(const gltest::Rgba& p, int r, int g, int b, int tolerance = 3) {
    EXPECT_NEAR(p.r, r, tolerance);
    EXPECT_NEAR(p.g, g, tolerance);
    EXPECT_NEAR(p.b, b, tolerance);
}

}  // namespace

TEST_F(SceneObjectGl, AmbientPassColourIsBiasPlusScaledVertexColour) {
    SceneObject o;
    Surface s;
    s.colourBias = Vec3(0.1f, 0.2f, 0.3f);
    s.colourScale = Vec3(0.5f, 0.5f, 0.5f);
    o.setSurface(s);
    addTriangle(o, Vec3(0.4f, 0.6f, 0.8f));
    clear(0.0f);
    o.draw(kPassAmbient, true, true);
    expectPixelNear(gltest::readPixel(kMid, kMid), 77, 128, 179);
    EXPECT_EQ(gltest::readPixel(5, 5).r, 0);  // outside the triangle
}

TEST_F(SceneObjectGl, BlackPassIsOpaqueBlackWhateverTheSurface) {
    SceneObject o;
    Surface s;
    s.colourBias = Vec3(1, 1, 1);
    s.colourScale = Vec3(1, 1, 1);
    s.alphaBias = 0.25f;
    s.unitCount = 2;
    s.unitMode[0] = kUnitAdd;
    s.unitTexture[0] = white;
    s.unitMode[1] = kUnitAdd;
    s.unitTexture[1] = white;
    o.setSurface(s);
    addTriangle(o, Vec3(1, 1, 1));

    clear(0.5f);
    o.draw(kPassAmbient, true, false);
    expectPixelNear(gltest::readPixel(kMid, kMid), 255, 255, 255);

    clear(0.5f);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glBindTexture(GL_TEXTURE_2D, white);
    o.draw(kPassBlack, true, false);
    gltest::Rgba p = gltest::readPixel(kMid, kMid);
    expectPixelNear(p, 0, 0, 0);
    EXPECT_EQ(p.a, 255);
    // Only unit 0 is left enabled.
    for (int unit = 1; unit < 4; ++unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        EXPECT_FALSE(enabled(GL_TEXTURE_2D)) << "unit " << unit;
    }
    glActiveTextureARB(GL_TEXTURE0_ARB);
    EXPECT_TRUE(enabled(GL_TEXTURE_2D));
}

// Faces wholly outside the view may be left out of a draw, but not a face whose corners all lie
// outside on different sides, nor one the modelview brings into view, and the faces after a
// left-out one keep their own corners.
TEST_F(SceneObjectGl, FacesReachingIntoTheViewAreDrawnWhereverTheirCornersLie) {
    Surface s;
    s.colourScale = Vec3(1, 1, 1);
    SceneObject spanning;
    spanning.setSurface(s);
    spanning.addFace(spanning.addVertex(Vec3(-5, -5, 0), Vec3(), Vec3(1, 0, 0)),
                     spanning.addVertex(Vec3(5, -5, 0), Vec3(), Vec3(1, 0, 0)),
                     spanning.addVertex(Vec3(0, 5, 0), Vec3(), Vec3(1, 0, 0)));
    clear(0.0f);
    spanning.draw(kPassAmbient, true, true);
    expectPixelNear(gltest::readPixel(kMid, kMid), 255, 0, 0);

    // First a face far off to the right, then one that only the translation brings into view.
    SceneObject moved;
    moved.setSurface(s);
    moved.addFace(moved.addVertex(Vec3(9, 0, 0), Vec3(), Vec3(1, 0, 0)),
                  moved.addVertex(Vec3(10, 0, 0), Vec3(), Vec3(1, 0, 0)),
                  moved.addVertex(Vec3(9, 1, 0), Vec3(), Vec3(1, 0, 0)));
    moved.addFace(moved.addVertex(Vec3(2.2f, -0.8f, 0), Vec3(), Vec3(0, 1, 0)),
                  moved.addVertex(Vec3(3.8f, -0.8f, 0), Vec3(), Vec3(0, 1, 0)),
                  moved.addVertex(Vec3(3.0f, 0.8f, 0), Vec3(), Vec3(0, 1, 0)));
    clear(0.0f);
    glTranslatef(-3.0f, 0.0f, 0.0f);
    moved.draw(kPassAmbient, true, true);
    glLoadIdentity();
    expectPixelNear(gltest::readPixel(kMid, kMid), 0, 255, 0);
}

TEST_F(SceneObjectGl, FacesBehindTheLightArePaintedBlackInLitPasses) {
    SceneObject o;
    Surface s;
    s.colourScale = Vec3(1, 1, 1);
    o.setSurface(s);
    addTriangle(o, Vec3(0.2f, 0.8f, 0.4f));
    // The light sits at z = 5 and shines further along +z: the triangle at z = 0 is behind it.
    o.passLightPosition = Vec3(0, 0, 5);
    o.passLightDirection = Vec3(0, 0, 1);
    for (int pass : {kPassLit, kPassLitProjected}) {
        clear(0.5f);
        o.draw(pass, true, true);
        expectPixelNear(gltest::readPixel(kMid, kMid), 0, 0, 0);
    }
    // The ambient pass does not ask where the light is.
    clear(0.5f);
    o.draw(kPassAmbient, true, true);
    expectPixelNear(gltest::readPixel(kMid, kMid), 51, 204, 102);

    // Just inside the 0.1 tolerance behind the light's plane the face counts as facing it.
    o.passLightPosition = Vec3(0, 0, 0.05f);
    clear(0.5f);
    o.draw(kPassLit, true, true);
    expectPixelNear(gltest::readPixel(kMid, kMid), 51, 204, 102);
    o.passLightDirection = Vec3(0, 0, -1);
    o.passLightPosition = Vec3(0, 0, 5);
    clear(0.5f);
    o.draw(kPassLit, true, true);
    expectPixelNear(gltest::readPixel(kMid, kMid), 51, 204, 102);
}

TEST_F(SceneObjectGl, ModeThreeDrawsUntexturedThenAddsTheTexturedFace) {
    SceneObject o;
    Surface s;
    s.colourScale = Vec3(1, 1, 1);
    s.unitCount = 1;
    s.unitMode[0] = kUnitModulateAndAdd;
    s.unitTexture[0] = red;
    o.setSurface(s);
    addTriangle(o, Vec3(0.5f, 0.5f, 0.5f));
    glEnable(GL_BLEND);

    clear(0.0f);
    o.draw(kPassLit, true, true);
    // 0.5 grey untextured, plus red x 0.5 grey.
    expectPixelNear(gltest::readPixel(kMid, kMid), 255, 128, 128);

    Surface once = s;
    once.unitMode[0] = kUnitModulate;
    o.setSurface(once);
    clear(0.0f);
    o.draw(kPassLit, true, true);
    expectPixelNear(gltest::readPixel(kMid, kMid), 128, 0, 0);
    glDisable(GL_BLEND);
}

TEST_F(SceneObjectGl, InvisibleOrEmptyObjectsDrawNothingAndChangeNoState) {
    SceneObject hidden;
    Surface s;
    s.colourBias = Vec3(1, 1, 1);
    s.unitCount = 1;
    s.unitMode[0] = kUnitAdd;
    s.unitTexture[0] = white;
    hidden.setSurface(s);
    addTriangle(hidden, Vec3(1, 1, 1));
    hidden.visible = false;
    SceneObject empty;
    empty.setSurface(s);

    glBlendFunc(GL_ONE, GL_ZERO);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const GLint depth = integer(GL_MODELVIEW_STACK_DEPTH);
    clear(0.25f);
    hidden.draw(kPassLit, true, true);
    empty.draw(kPassAmbient, true, true);

    expectPixelNear(gltest::readPixel(kMid, kMid), 64, 64, 64);
    EXPECT_EQ(integer(GL_BLEND_SRC), GL_ONE);
    EXPECT_EQ(integer(GL_BLEND_DST), GL_ZERO);
    EXPECT_FALSE(enabled(GL_TEXTURE_2D));
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_REPLACE);
    EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), depth);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SceneObjectGl, DrawLeavesTheUnitsItUsedCleanedUp) {
    SceneObject o;
    Surface s;
    s.unitCount = 3;
    s.unitMode[0] = kUnitModulate;
    s.unitTexture[0] = white;
    s.unitMode[1] = kUnitModulate;
    s.unitTexture[1] = white;
    s.unitMode[2] = kUnitAdd;
    s.unitTexture[2] = 0;
    s.unitCubeMap[2] = true;
    o.setSurface(s);
    addTriangle(o, Vec3(1, 1, 1));
    Camera cam("c", 45, 1, 0.1f, 100, 512, 512, 128, 128);
    cam.apply();
    cam.restore();
    o.camera = &cam;
    o.passLightPosition = Vec3(0, 0, -3);
    o.draw(kPassLit, true, true);

    for (int unit = 1; unit < 4; ++unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        EXPECT_FALSE(enabled(GL_TEXTURE_CUBE_MAP)) << "unit " << unit;
        EXPECT_FALSE(enabled(GL_TEXTURE_GEN_S)) << "unit " << unit;
    }
    // The reflection unit's texture matrix is back to identity.
    glActiveTextureARB(GL_TEXTURE3_ARB);
    float m[16];
    glGetFloatv(GL_TEXTURE_MATRIX, m);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], (i % 5 == 0) ? 1.0f : 0.0f);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE0_ARB);
    EXPECT_EQ(integer(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(integer(GL_BLEND_DST), GL_ONE);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SceneObjectGl, SetupLightCountsLightsAndCounterZeroLeavesOnlyLightZero) {
    SceneObject lamp;
    lamp.isLight = true;
    lamp.position = Vec3(1, 2, 3);
    lamp.lightOffset = Vec3(0, 1, 0);
    lamp.positional = false;
    for (int i = 0; i < 8; ++i) glEnable(GL_LIGHT0 + i);

    int counter = 0;
    lamp.setupLight(counter);
    EXPECT_EQ(counter, 1);
    EXPECT_TRUE(enabled(GL_LIGHTING));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(enabled(GL_LIGHT0 + i), i == 0) << "light " << i;

    lamp.setupLight(counter);
    EXPECT_EQ(counter, 2);
    EXPECT_TRUE(enabled(GL_LIGHT1));
    float p[4];
    glGetLightfv(GL_LIGHT1, GL_POSITION, p);  // identity modelview: eye = world
    EXPECT_FLOAT_EQ(p[0], 1.0f);
    EXPECT_FLOAT_EQ(p[1], 3.0f);
    EXPECT_FLOAT_EQ(p[2], 3.0f);
    EXPECT_EQ(p[3], 0.0f);

    counter = 8;  // past the last light: light 0 again, no further count
    lamp.setupLight(counter);
    EXPECT_EQ(counter, 8);

    SceneObject notALight;
    counter = 3;
    glDisable(GL_LIGHTING);
    notALight.setupLight(counter);
    EXPECT_EQ(counter, 3);
    EXPECT_FALSE(enabled(GL_LIGHTING));
}
