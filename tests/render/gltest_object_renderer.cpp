// The renderer's frame: hierarchy updates, shadow-map creation, the passes' state with
// skipObjects, and the composition of the composited mode.
#include "render/ObjectRenderer.h"
#include "render/ScreenEffects.h"
#include "render/object_gl_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using objtest::brightness;
using objtest::enabled;
using objtest::integer;

namespace {

const float kPi = 3.14159265358979f;
const int kMid = objtest::kSize / 2;

class RendererGl : public ::testing::Test {
protected:
    void SetUp() override {
        if (!objtest::openWindow()) GTEST_SKIP() << "no display";
        // Slot sizes of a 512 x 512 window.
        effects = std::make_unique<ScreenEffects>(512, 512, 128, 128, 512, 512, 128, 128, 7);
        camera = std::make_unique<Camera>("RendererGl.camera0", 45.0f, 1.0f, 0.1f, 100.0f, 512,
                                          512, 128, 128);
        camera->position = Vec3(0, 0, -5);
    }
    void TearDown() override { effects.reset(); }

    // What the scenes do each frame: the quarter-size direct pass, then the composited one.
    void drawFrame(ObjectRenderer& r) {
        r.draw(camera.get(), false, true, 1, false, effects.get(), true, true, true);
        r.draw(camera.get(), false, false, 0, true, effects.get(), true, false, false);
    }

    // The picture in a slot, drawn over the whole window and read in the middle.
    gltest::Rgba slotPixel(int slot, bool small) {
        effects->useSmallTextures = small ? 1 : 0;
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        glViewport(0, 0, 512, 512);
        effects->drawGrab(slot, Blend::Off);
        effects->useSmallTextures = 0;
        return gltest::readPixel(kMid, kMid);
    }

    void fillSlots(float r, float g, float b) {
        glViewport(0, 0, 512, 512);
        glClearColor(r, g, b, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        for (int small = 0; small < 2; ++small) {
            effects->useSmallTextures = small;
            for (int s = 0; s < effects->slotCount; ++s) effects->grab(s);
        }
        effects->useSmallTextures = 0;
    }

    static Surface whiteSurface() {
        Surface s;
        s.colourScale = Vec3(1, 1, 1);
        return s;
    }

    std::unique_ptr<ScreenEffects> effects;
    std::unique_ptr<Camera> camera;
};

}  // namespace

TEST_F(RendererGl, ChildUnderTwoParentsTakesTheLastParentsFrame) {
    ObjectRenderer r;
    const int first = r.addBlob(1, 4, 4, Surface(), false);
    const int second = r.addBlob(1, 4, 4, Surface(), false);
    const int child = r.addBlob(1, 4, 4, Surface(), false);
    const int grandchild = r.addBlob(1, 4, 4, Surface(), false);
    r.object(first)->position = Vec3(1, 0, 0);
    r.object(second)->position = Vec3(0, 5, 0);
    r.object(second)->rotation = Vec3(0, kPi / 2, 0);
    r.object(child)->position = Vec3(0, 0, 2);
    r.object(grandchild)->position = Vec3(0, 1, 0);
    r.attachChild(first, child);
    r.attachChild(second, child);
    r.attachChild(child, grandchild);

    r.draw(camera.get(), false, true, 0, false, nullptr, false, false, false);

    EXPECT_TRUE(r.rootFlags[first]);
    EXPECT_TRUE(r.rootFlags[second]);
    EXPECT_FALSE(r.rootFlags[child]);
    EXPECT_FALSE(r.rootFlags[grandchild]);
    // (0, 0, 2) turned a quarter about y lands on +x, then moves up by 5.
    const float* w = r.object(child)->worldMatrix;
    EXPECT_NEAR(w[12], 2.0f, 1e-4f);
    EXPECT_NEAR(w[13], 5.0f, 1e-4f);
    EXPECT_NEAR(w[14], 0.0f, 1e-4f);
    const float* g = r.object(grandchild)->worldMatrix;
    EXPECT_NEAR(g[12], 2.0f, 1e-4f);
    EXPECT_NEAR(g[13], 6.0f, 1e-4f);
    // World matrices do not contain the camera.
    EXPECT_NEAR(r.object(first)->worldMatrix[12], 1.0f, 1e-5f);
    EXPECT_EQ(r.object(first)->camera, camera.get());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RendererGl, CyclicLinksDoNotRecurseForever) {
    ObjectRenderer r;
    const int root = r.addBlob(1, 4, 4, Surface(), false);
    const int a = r.addBlob(1, 4, 4, Surface(), false);
    const int b = r.addBlob(1, 4, 4, Surface(), false);
    r.object(a)->position = Vec3(0, 1, 0);
    r.object(b)->position = Vec3(0, 1, 0);
    r.attachChild(root, a);
    r.attachChild(a, b);
    r.attachChild(b, a);
    r.attachChild(b, b);
    const GLint depth = integer(GL_MODELVIEW_STACK_DEPTH);
    r.draw(camera.get(), false, true, 0, false, nullptr, false, false, false);
    EXPECT_NEAR(r.object(b)->worldMatrix[13], 2.0f, 1e-5f);
    EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), depth);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RendererGl, ChangedMeshesGetNormalsBeforeDrawing) {
    ObjectRenderer r;
    const int blob = r.addBlob(1, 8, 8, Surface(), false);
    ASSERT_TRUE(r.object(blob)->changed);
    r.draw(camera.get(), false, true, 0, false, nullptr, false, false, false);
    EXPECT_FALSE(r.object(blob)->changed);
    const MeshVertex& pole = r.object(blob)->vertices[0];
    EXPECT_NEAR(pole.normal.length(), 1.0f, 1e-4f);
    EXPECT_GT(std::fabs(pole.normal.y), 0.9f);
}

TEST_F(RendererGl, ShadowMapsShrinkToFitTheFrameBuffer) {
    ObjectRenderer r;
    LightSettings big;
    big.castsShadows = true;
    big.shadowMapSize = 1024;
    const int light = r.addLight(big, 800, 600);
    EXPECT_EQ(big.shadowMapSize, 512);  // written back into the caller's record
    SceneObject& o = *r.object(light);
    EXPECT_EQ(o.shadowMapSize, 512);
    ASSERT_NE(o.shadowTexture, 0u);
    glBindTexture(GL_TEXTURE_2D, o.shadowTexture);
    EXPECT_EQ(glIsTexture(o.shadowTexture), GL_TRUE);
    GLint width = 0, format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(width, 512);
    EXPECT_TRUE(format == GL_DEPTH_COMPONENT || format == GL_DEPTH_COMPONENT16 ||
                format == GL_DEPTH_COMPONENT24 || format == GL_DEPTH_COMPONENT32)
        << format;
    // The light's frustum: 60 degrees, square.
    EXPECT_NEAR(o.lightProjection[5], 1.0f / std::tan(30.0f * kPi / 180.0f), 1e-4f);
    EXPECT_NEAR(o.lightProjection[0], o.lightProjection[5], 1e-5f);

    LightSettings fits;
    fits.castsShadows = true;
    fits.shadowMapSize = 256;
    const int second = r.addLight(fits, 256, 256);
    EXPECT_EQ(fits.shadowMapSize, 256);
    EXPECT_EQ(r.object(second)->shadowMapSize, 256);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE0_ARB);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    EXPECT_FALSE(enabled(GL_TEXTURE_2D));
    glActiveTextureARB(GL_TEXTURE0_ARB);
}

TEST_F(RendererGl, SkipObjectsStillRunsTheDirectPassesState) {
    ObjectRenderer r;
    const int box = r.addBox(4, 4, whiteSurface(), false);
    LightSettings l;
    l.castsShadows = true;
    r.addLight(l, 512, 512);
    r.object(box)->position = Vec3(1, 2, 3);
    r.object(box)->currentSurface = 2;

    glEnable(GL_LIGHT3);
    glEnable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glDepthFunc(GL_ALWAYS);
    r.draw(camera.get(), true, true, 1, false, effects.get(), true, true, true);

    // The light list is rebuilt, but objects keep their matrices and surfaces.
    EXPECT_EQ(r.lights.size(), 1u);
    EXPECT_EQ(r.object(box)->worldMatrix[12], 0.0f);
    EXPECT_EQ(r.object(box)->currentSurface, 2);
    EXPECT_TRUE(r.object(box)->changed);
    // The passes still set up their lights and leave their state behind.
    EXPECT_FALSE(enabled(GL_LIGHT3));
    EXPECT_TRUE(enabled(GL_LIGHT0));
    EXPECT_FALSE(enabled(GL_LIGHTING));
    EXPECT_FALSE(enabled(GL_BLEND));
    EXPECT_EQ(integer(GL_DEPTH_FUNC), GL_LEQUAL);
    // The shadow map's viewport is undone: the quarter-size view is in force.
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 128);
    EXPECT_EQ(viewport[3], 128);
    EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RendererGl, SkipObjectsStillGrabsAndComposes) {
    ObjectRenderer r;
    r.addBox(4, 4, whiteSurface(), false);
    LightSettings l;
    l.castsShadows = true;
    r.addLight(l, 512, 512);
    r.draw(camera.get(), true, true, 0, false, effects.get(), true, true, true);

    fillSlots(1.0f, 0.0f, 0.0f);
    effects->workSlotBase = 1;
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    r.draw(camera.get(), true, false, 0, true, effects.get(), true, false, false);

    // The composition replaced the blue picture: empty ambient and lit images.
    gltest::Rgba frame = gltest::readPixel(kMid, kMid);
    EXPECT_EQ(frame.b, 0);
    EXPECT_EQ(effects->useSmallTextures, 0);
    EXPECT_EQ(effects->smallSlotA, 0);
    // Mask of the one light (small slot base + 1): nothing drawn shadows it, so it stays the
    // white it was cleared to. Ambient (base + 2) and lit (base + 3) are empty.
    gltest::Rgba mask = slotPixel(2, true);
    EXPECT_GT(mask.r, 240);
    EXPECT_GT(mask.g, 240);
    gltest::Rgba ambient = slotPixel(3, false);
    EXPECT_EQ(brightness(ambient), 0);
    gltest::Rgba lit = slotPixel(4, false);
    EXPECT_EQ(brightness(lit), 0);
    // The slot below the base is the scene's own and stays as it was.
    EXPECT_GT(slotPixel(0, false).r, 240);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RendererGl, WithoutLightsTheCompositedModeShowsOnlyTheAmbientImage) {
    ObjectRenderer r;
    r.addBox(4, 4, whiteSurface(), false);
    drawFrame(r);
    // White vertices in the light model's global ambient (0.2) and nothing else.
    gltest::Rgba centre = gltest::readPixel(kMid, kMid);
    EXPECT_NEAR(centre.r, 51, 3);
    EXPECT_NEAR(centre.g, 51, 3);
    EXPECT_NEAR(centre.b, 51, 3);
    EXPECT_EQ(brightness(gltest::readPixel(3, 3)), 0);

    // A light without shadows adds its lit image on top, unmasked.
    LightSettings lamp;
    lamp.spotDirection = Vec3(0, 0, 1);
    r.addLight(lamp, 512, 512);
    r.object(r.objectCount() - 1)->position = Vec3(0, 0, -4);
    drawFrame(r);
    EXPECT_GT(brightness(gltest::readPixel(kMid, kMid)), brightness(centre) + 150);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
