// The object renderer's fused passes against their classic counterparts on a small scene: two
// shadowing lamps in a box, a ball between them, surfaces with all three texture units.
#include "content/SceneKit.h"
#include "engine/StageTimer.h"
#include "render/ObjectRenderer.h"
#include "render/ScreenEffects.h"
#include "render/object_gl_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

const int kSize = objtest::kSize;

struct Difference {
    double mean = 0.0;
    double within2 = 1.0;  // share of channel values at most 2 apart
};

Difference compare(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    Difference d;
    if (a.size() != b.size() || a.empty()) return {255.0, 0.0};
    double sum = 0.0;
    size_t close = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const int delta = std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
        sum += delta;
        if (delta <= 2) ++close;
    }
    d.mean = sum / static_cast<double>(a.size());
    d.within2 = static_cast<double>(close) / static_cast<double>(a.size());
    return d;
}

// Within the tolerance of a single frame: a mean of at most 0.3 and 99.5 % within 2.
void expectWithinFrameTolerance(const std::vector<unsigned char>& expected,
                                const std::vector<unsigned char>& actual) {
    const Difference d = compare(expected, actual);
    EXPECT_LE(d.mean, 0.3);
    EXPECT_GE(d.within2, 0.995);
}

std::vector<unsigned char> readArea(int width, int height) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// Where a picture has something in it: the sum of all its values.
long total(const std::vector<unsigned char>& p) {
    long sum = 0;
    for (unsigned char v : p) sum += v;
    return sum;
}

// Whether a draw ran a stage: its stages are timed under a scene name of their own.
bool ranStage(const std::string& scene, const char* stage) {
    for (const stagetimer::StageRow& row : stagetimer::table())
        if (row.scene == scene && row.stage == stage) return true;
    return false;
}

GLuint solidCubeMap(unsigned char r, unsigned char g, unsigned char b) {
    const unsigned char texels[4 * 4 * 4] = {};
    std::vector<unsigned char> face(texels, texels + sizeof texels);
    for (size_t i = 0; i < face.size(); i += 4) {
        face[i] = r;
        face[i + 1] = g;
        face[i + 2] = b;
        face[i + 3] = 255;
    }
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_CUBE_MAP, id);
    for (int f = 0; f < 6; ++f)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, 0, GL_RGBA, 4, 4, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, face.data());
    return id;
}

class FusedObjectsGl : public ::testing::Test {
protected:
    void SetUp() override {
        if (!objtest::openWindow()) GTEST_SKIP() << "no display";
        if (!glCaps.hasFramebufferObjects || !glCaps.hasGlsl120)
            GTEST_SKIP() << "no framebuffer objects or GLSL 1.20";
        effects = std::make_unique<ScreenEffects>(512, 512, 128, 128, 512, 512, 128, 128, 7);
        effects->workSlotBase = 1;
        camera = std::make_unique<Camera>("FusedObjectsGl.camera0", 45.0f, 1.0f, 0.1f, 100.0f,
                                          512, 512, 128, 128);
        camera->position = Vec3(1.0f, 1.5f, -7.0f);
        camera->direction = Vec3(-0.1f, -0.2f, 1.0f);
        buildScene();
    }
    void TearDown() override { effects.reset(); }

    void buildScene() {
        const GLuint base = objtest::solidTexture(200, 180, 160, 255);
        const GLuint projected = objtest::solidTexture(230, 240, 200, 255);
        const GLuint cube = solidCubeMap(30, 20, 40);
        Surface walls = scenekit::makeSurface(Vec3(0.1f, 0.1f, 0.1f), Vec3(0.8f, 0.6f, 0.5f));
        scenekit::setReflectiveUnits(walls, kUnitModulate, base, projected, cube);
        Surface ball = scenekit::makeSurface(Vec3(0, 0, 0), Vec3(1.6f, 0.5f, 0.3f));
        scenekit::setUnit(ball, 0, kUnitAdd, base);
        // One texture on two units, read past its edge: the halo source's ambient pass repeats
        // it, its lamps see the second unit's border.
        Surface glow = scenekit::makeSurface(Vec3(0, 0, 0), Vec3(2.0f, 1.0f, 0.5f));
        scenekit::setReflectiveUnits(glow, kUnitModulate, projected, projected, cube);
        scenekit::setTextureScale(glow, 1.5f, 1.25f);

        box = r.addBox(12, 4, walls, true);
        r.object(box)->scale = Vec3(5, 5, 5);
        const int blob = r.addBlob(1.0f, 16, 16, ball, false);
        r.object(blob)->position = Vec3(0.5f, -1.0f, 0.5f);
        for (int i : {box, blob}) scenekit::setSurfaceSlot(*r.object(i), 1, glow);

        LightSettings warm = scenekit::shadowSpotLight(Vec3(0.05f, 0.05f, 0.05f),
                                                       Vec3(1.0f, 0.7f, 0.5f), 20.0f, 0.1f);
        LightSettings cool = scenekit::shadowSpotLight(Vec3(0, 0, 0), Vec3(0.5f, 0.7f, 1.0f),
                                                       10.0f, 0.15f);
        lampA = r.addLight(warm, 256, 256);
        lampB = r.addLight(cool, 256, 256);
        r.object(lampA)->position = Vec3(-2.0f, 3.0f, -2.0f);
        r.object(lampA)->spotDirection = Vec3(0.4f, -0.8f, 0.5f);
        r.object(lampB)->position = Vec3(3.0f, 2.0f, -3.0f);
        r.object(lampB)->spotDirection = Vec3(-0.5f, -0.5f, 0.8f);
    }

    // The halo source alone, at the small viewport, read back.
    std::vector<unsigned char> haloSource(bool fused) {
        r.fused = fused;
        r.fusedHaloSource = fused;
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        r.drawHaloSource(camera.get(), effects.get());
        return readArea(128, 128);
    }

    // A whole frame as a scene draws it, halo included, its stages timed under stageScene.
    std::vector<unsigned char> frame(bool fused, const std::string& stageScene) {
        r.fused = fused;
        glViewport(0, 0, kSize, kSize);
        glEnable(GL_DEPTH_TEST);
        stagetimer::enable(true);
        stagetimer::beginFrame();
        stagetimer::setScene(stageScene);
        scenekit::drawPictureWithHalo(r, camera.get(), effects.get(), 0.5f, 3, 0.0f);
        stagetimer::enable(false);
        left = gltest::leftState();
        return readArea(kSize, kSize);
    }

    std::unique_ptr<ScreenEffects> effects;
    std::unique_ptr<Camera> camera;
    ObjectRenderer r;
    int box = -1, lampA = -1, lampB = -1;
    std::vector<float> left;
};

}  // namespace

TEST_F(FusedObjectsGl, HaloSourceMatchesTheClassicPasses) {
    const std::vector<unsigned char> classic = haloSource(false);
    const std::vector<unsigned char> fused = haloSource(true);
    EXPECT_GT(total(classic), 128L * 128L);
    expectWithinFrameTolerance(classic, fused);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FusedObjectsGl, CompositedFrameMatchesTheClassicPasses) {
    const std::vector<unsigned char> classic = frame(false, "classic frame");
    const std::vector<float> classicLeft = left;
    const std::vector<unsigned char> fused = frame(true, "fused frame");
    EXPECT_EQ(left, classicLeft) << "the state the fused frame leaves for the next drawing";
    // The fused frame did take the fused passes: its lit picture is one stage.
    EXPECT_TRUE(ranStage("fused frame", "lit picture"));
    EXPECT_FALSE(ranStage("fused frame", "ambient"));
    EXPECT_GT(total(classic), 512L * 512L);
    expectWithinFrameTolerance(classic, fused);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A frame the fused passes cannot draw takes the classic ones, also inside a render target
// smaller than its shadow maps (the halo source's quarter-size slot): the maps still come out
// whole.
TEST_F(FusedObjectsGl, ClassicPassesDrawIntoASmallTarget) {
    glCaps.useFramebufferObject = true;  // read when a bank is made
    ScreenEffects bank(512, 512, 128, 128, 512, 512, 128, 128, 7);
    glCaps.useFramebufferObject = false;
    RenderTarget* small = bank.slotTarget(2, true);
    ASSERT_NE(small, nullptr);
    small->bind(128, 128);
    // This renderer's first maps are drawn while the target is bound.
    const std::vector<unsigned char> inTarget = haloSource(false);
    bank.drawInto(-1);
    // The same frame in the window, its maps drawn again (a lamp moved and back).
    r.object(lampA)->position.x += 0.5f;
    haloSource(false);
    r.object(lampA)->position.x -= 0.5f;
    const std::vector<unsigned char> inWindow = haloSource(false);
    EXPECT_GT(total(inWindow), 128L * 128L);
    expectWithinFrameTolerance(inWindow, inTarget);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
