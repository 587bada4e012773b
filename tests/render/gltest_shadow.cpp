// A spot light, a box and a floor: the box's shadow on the floor must read darker than the
// floor beside it, in both drawing modes, and a driver without shadow support must still draw.
#include "render/ObjectRenderer.h"
#include "render/ScreenEffects.h"
#include "render/object_gl_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using objtest::brightness;

namespace {

const float kFloorTop = -0.925f;  // a box lattice of n 8 scaled 0.1 tall, centred at y = -1
// Behind the box as the light sees it, and the same distance out to the side in the light.
const Vec3 kInShadow(-1.4f, kFloorTop, 0.0f);
const Vec3 kBesideShadow(-1.4f, kFloorTop, 2.5f);

class ShadowGl : public ::testing::Test {
protected:
    void SetUp() override {
        if (!objtest::openWindow()) GTEST_SKIP() << "no display";
        effects = std::make_unique<ScreenEffects>(512, 512, 128, 128, 512, 512, 128, 128, 7);
        camera = std::make_unique<Camera>("ShadowGl.camera0", 45.0f, 1.0f, 0.1f, 100.0f, 512, 512,
                                          128, 128);
        camera->position = Vec3(0, 10, -3);
        camera->lookAt(Vec3(-0.7f, kFloorTop, 0.8f));
        white = objtest::solidTexture(255, 255, 255, 255);
    }
    void TearDown() override {
        renderer.reset();
        effects.reset();
        glDeleteTextures(1, &white);
    }

    // Spot lights at the given places, all shadowing; light is the first.
    void buildScene(const std::vector<Vec3>& spots = {Vec3(5, 5, 0)}) {
        renderer = std::make_unique<ObjectRenderer>();
        Surface floorSurface;
        floorSurface.colourScale = Vec3(0.8f, 0.8f, 0.8f);
        floorSurface.unitCount = 1;
        floorSurface.unitMode[0] = kUnitModulate;
        floorSurface.unitTexture[0] = white;
        Surface boxSurface = floorSurface;
        boxSurface.colourScale = Vec3(0.6f, 0.3f, 0.2f);

        ObjectRenderer& r = *renderer;
        const int floor = r.addBox(8, 2, floorSurface, false);
        r.object(floor)->currentSurface = 1;
        r.object(floor)->setSurface(floorSurface);
        r.object(floor)->currentSurface = 0;
        r.object(floor)->position = Vec3(0, -1, 0);
        r.object(floor)->scale = Vec3(5, 0.1f, 5);

        const int box = r.addBox(8, 8, boxSurface, false);
        r.object(box)->currentSurface = 1;
        r.object(box)->setSurface(boxSurface);
        r.object(box)->currentSurface = 0;
        r.object(box)->scale = Vec3(0.6f, 0.6f, 0.6f);

        LightSettings spot;
        spot.spotExponent = 0.0f;
        spot.spotCutoff = 90.0f;
        spot.castsShadows = true;
        spot.shadowMapSize = 256;
        for (size_t k = 0; k < spots.size(); ++k) {
            const int index = r.addLight(spot, 512, 512);
            if (k == 0) light = index;
            SceneObject& l = *r.object(index);
            l.position = spots[k];
            l.spotDirection = (Vec3(0, 0, 0) - l.position).normalized();
        }
    }

    // One composited frame; returns the small slot's picture drawn over the whole window.
    std::vector<unsigned char> slotAfterFrame(int slot) {
        renderer->draw(camera.get(), false, true, 1, false, effects.get(), true, true, true);
        renderer->draw(camera.get(), false, false, 0, true, effects.get(), true, false, false);
        effects->useSmallTextures = 1;
        glViewport(0, 0, 512, 512);
        effects->drawGrab(slot, Blend::Off);
        effects->useSmallTextures = 0;
        std::vector<unsigned char> pixels(512 * 512 * 4);
        glReadPixels(0, 0, 512, 512, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    // Light reaching the shadowed floor and the floor beside it, after one frame.
    void frameBrightness(bool composited, int& inShadow, int& beside) {
        if (composited) {
            renderer->draw(camera.get(), false, true, 1, false, effects.get(), true, true, true);
            renderer->draw(camera.get(), false, false, 0, true, effects.get(), true, false, false);
        } else {
            renderer->draw(camera.get(), false, true, 0, false, effects.get(), false, false,
                           false);
        }
        int x, y;
        ASSERT_TRUE(objtest::project(*camera, kInShadow, x, y));
        inShadow = brightness(gltest::readPixel(x, y));
        ASSERT_TRUE(objtest::project(*camera, kBesideShadow, x, y));
        beside = brightness(gltest::readPixel(x, y));
    }

    std::unique_ptr<ScreenEffects> effects;
    std::unique_ptr<Camera> camera;
    std::unique_ptr<ObjectRenderer> renderer;
    GLuint white = 0;
    int light = -1;
};

}  // namespace

TEST_F(ShadowGl, DirectModeShadowIsDarkerThanTheFloorBesideIt) {
    buildScene();
    ASSERT_TRUE(renderer->object(light)->hasShadowMap());
    int inShadow = 0, beside = 0;
    frameBrightness(false, inShadow, beside);
    EXPECT_GT(beside, 90) << "the floor beside the shadow is lit";
    EXPECT_LT(inShadow * 2, beside) << "in shadow " << inShadow << ", beside " << beside;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ShadowGl, CompositedModeShadowIsDarkerThanTheFloorBesideIt) {
    buildScene();
    int inShadow = 0, beside = 0;
    frameBrightness(true, inShadow, beside);
    EXPECT_GT(beside, 90) << "the floor beside the shadow is lit";
    EXPECT_LT(inShadow * 2, beside) << "in shadow " << inShadow << ", beside " << beside;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ShadowGl, WithoutDepthTexturesTheSceneIsDrawnWithoutShadows) {
    const GlCaps saved = glCaps;
    glCaps.supportsDepthTexture = false;
    glCaps.supportsShadow = false;
    testing::internal::CaptureStdout();
    buildScene();
    buildScene();  // a second shadow-casting light: the message is not repeated
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(renderer->object(light)->shadowTexture, 0u);
    EXPECT_FALSE(renderer->object(light)->hasShadowMap());

    int inShadow = 0, beside = 0;
    frameBrightness(true, inShadow, beside);
    int directShadow = 0, directBeside = 0;
    frameBrightness(false, directShadow, directBeside);
    glCaps = saved;

    const std::string line =
        "no depth textures and no shadow comparison: drawing without shadows.\n";
    EXPECT_EQ(out, line);
    // The box still shades nothing: both floor points are lit.
    EXPECT_GT(inShadow, 90);
    EXPECT_GT(beside, 90);
    EXPECT_GT(directShadow, 90);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ShadowGl, ProjectedTextureColoursWhatTheLightReaches) {
    buildScene();
    const GLuint red = objtest::solidTexture(255, 0, 0, 255);
    renderer->object(light)->projectedTexture = red;
    renderer->draw(camera.get(), false, true, 1, false, effects.get(), true, true, true);
    renderer->draw(camera.get(), false, false, 0, true, effects.get(), true, false, false);
    int x, y;
    ASSERT_TRUE(objtest::project(*camera, kBesideShadow, x, y));
    const gltest::Rgba lit = gltest::readPixel(x, y);
    ASSERT_TRUE(objtest::project(*camera, kInShadow, x, y));
    const gltest::Rgba shadowed = gltest::readPixel(x, y);
    glDeleteTextures(1, &red);
    // Only the red of the projected light is added to the grey ambient floor.
    EXPECT_GT(lit.r, lit.g + 100);
    EXPECT_NEAR(lit.g, shadowed.g, 4);
    EXPECT_NEAR(lit.b, shadowed.b, 4);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The masks after the first are drawn against the depth laid down for the first. A light's
// mask must come out the same whether it is the only shadowing light or the second one. The
// floor is drawn first, and from this camera some floor the light reaches lies behind box faces
// the mask leaves alone: only depth keeps that floor from showing through.
TEST_F(ShadowGl, SecondLightsMaskIsTheMaskItHasAlone) {
    camera->position = Vec3(0, 2, -6);
    camera->lookAt(Vec3(0, -0.5f, 0));
    const Vec3 overhead(2, 8, 2);
    buildScene({overhead});
    const std::vector<unsigned char> alone = slotAfterFrame(effects->workSlotBase + 1);
    buildScene({Vec3(5, 5, 0), overhead});
    const std::vector<unsigned char> second = slotAfterFrame(effects->workSlotBase + 2);

    int reached = 0;
    for (size_t i = 0; i < alone.size(); i += 4) reached += alone[i] < 128 ? 1 : 0;
    EXPECT_GT(reached, 1000) << "the light reaches part of what the camera sees";
    EXPECT_LT(reached, 512 * 512 - 1000) << "and not all of it";
    EXPECT_TRUE(alone == second);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Each shadow map must be drawn from a cleared depth buffer, and the maps must leave one behind
// (the direct passes draw on it without clearing it themselves), whatever the buffer held
// before and whether the maps are drawn or kept from the frame's earlier draw. The composited
// draw clears all it reads itself, so leftovers just before it change nothing either.
TEST_F(ShadowGl, FramesAreTheSameOverLeftovers) {
    buildScene({Vec3(5, 5, 0), Vec3(-4, 6, 1)});
    auto leaveOver = [](bool leftovers) {
        glDepthMask(GL_TRUE);
        glClearDepth(leftovers ? 0.0 : 1.0);
        if (leftovers)
            glClearColor(0.3f, 0.6f, 0.9f, 0.5f);
        else
            glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearDepth(1.0);
    };
    // Leftovers before the frame, or (composited frames only) between its two draws.
    auto picture = [&](bool leftoverDepth, bool composited, bool leftoversBetween = false) {
        leaveOver(leftoverDepth);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        // Without the composited draw, the direct one keeps the maps its last frame drew.
        renderer->draw(camera.get(), false, composited, composited ? 1 : 0, false, effects.get(),
                       composited, composited, composited);
        if (composited) {
            if (leftoversBetween) leaveOver(true);
            renderer->draw(camera.get(), false, false, 0, true, effects.get(), true, false,
                           false);
        }
        std::vector<unsigned char> pixels(512 * 512 * 4);
        glReadPixels(0, 0, 512, 512, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    const std::vector<unsigned char> frame = picture(false, true);
    EXPECT_TRUE(picture(true, true) == frame) << "maps drawn over leftover depth";
    EXPECT_TRUE(picture(false, true, true) == frame) << "leftovers before the composited draw";
    const std::vector<unsigned char> direct = picture(false, false);
    int lit = 0;
    for (size_t i = 0; i < direct.size(); i += 4) lit += direct[i] > 60 ? 1 : 0;
    EXPECT_GT(lit, 10000);
    EXPECT_TRUE(picture(true, false) == direct) << "maps kept";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
