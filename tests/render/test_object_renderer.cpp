// Scene objects and the renderer's bookkeeping that runs without an OpenGL context.
#include "render/ObjectRenderer.h"
#include "render/Shapes.h"

#include <gtest/gtest.h>

namespace {

Surface texturedSurface() {
    Surface s;
    s.colourBias = Vec3(0.1f, 0.2f, 0.3f);
    s.alphaBias = 0.5f;
    s.colourScale = Vec3(0.6f, 0.56f, 0.52f);
    s.unitCount = 1;
    s.unitMode[0] = kUnitModulate;
    s.unitTexture[0] = 7;
    s.texScaleU[0] = 8.0f;
    s.texScaleV[0] = 16.0f;
    // Entries beyond unitCount, which setSurface must leave alone.
    s.unitMode[1] = kUnitAdd;
    s.unitTexture[1] = 9;
    s.unitCubeMap[1] = true;
    s.texScaleU[1] = 3.0f;
    s.castsShadow = false;
    return s;
}

}  // namespace

TEST(SceneObject, SetSurfaceCopiesOnlyTheUsedUnitsIntoTheCurrentSlot) {
    SceneObject o;
    o.currentSurface = 1;
    o.setSurface(texturedSurface());
    const Surface& slot1 = o.surfaces[1];
    EXPECT_FLOAT_EQ(slot1.colourBias.y, 0.2f);
    EXPECT_FLOAT_EQ(slot1.alphaBias, 0.5f);
    EXPECT_FLOAT_EQ(slot1.colourScale.x, 0.6f);
    EXPECT_EQ(slot1.unitCount, 1);
    EXPECT_EQ(slot1.unitMode[0], kUnitModulate);
    EXPECT_EQ(slot1.unitTexture[0], 7u);
    EXPECT_EQ(slot1.texScaleV[0], 16.0f);
    EXPECT_FALSE(slot1.castsShadow);
    // Unit 1 is beyond unitCount: the slot keeps its defaults there.
    EXPECT_EQ(slot1.unitMode[1], kUnitOff);
    EXPECT_EQ(slot1.unitTexture[1], 0u);
    EXPECT_FALSE(slot1.unitCubeMap[1]);
    EXPECT_EQ(slot1.texScaleU[1], 1.0f);
    // The other slots are untouched defaults.
    EXPECT_FLOAT_EQ(o.surfaces[0].colourScale.x, 0.5f);
    EXPECT_EQ(o.surfaces[0].unitCount, 0);
    EXPECT_TRUE(o.surfaces[0].castsShadow);
}

TEST(SceneObject, SurfaceIndexOutsideTheSlotsStaysInside) {
    SceneObject o;
    o.currentSurface = 9;
    o.setSurface(texturedSurface());
    EXPECT_EQ(o.surfaces[3].unitTexture[0], 7u);
    EXPECT_EQ(&o.surface(), &o.surfaces[3]);
    o.currentSurface = -2;
    EXPECT_EQ(&o.surface(), &o.surfaces[0]);

    Surface tooMany = texturedSurface();
    tooMany.unitCount = 12;  // more units than a surface has: the three there are copied
    tooMany.unitTexture[2] = 11;
    o.currentSurface = 2;
    o.setSurface(tooMany);
    EXPECT_EQ(o.surfaces[2].unitTexture[2], 11u);
}

TEST(SceneObject, LightSettingsCopyTheLightFieldsButNotTheShadowFrustum) {
    LightSettings l;
    l.isLight = true;
    l.lightAmbient[0] = 0.12f;
    l.lightDiffuse[2] = 0.5f;
    l.lightSpecular[1] = 0.25f;
    l.positional = false;
    l.lightOffset = Vec3(1, 2, 3);
    l.spotDirection = Vec3(0, -1, 0);
    l.spotExponent = 7.0f;
    l.spotCutoff = 45.0f;
    l.constantAttenuation = 0.0f;
    l.linearAttenuation = 0.025f;
    l.quadraticAttenuation = 0.5f;
    l.castsShadows = true;
    l.shadowMapSize = 128;
    l.shadowNear = 3.0f;
    l.shadowFar = 4.0f;
    l.shadowFov = 10.0f;
    l.texture = 42;

    SceneObject o;
    o.setLightSettings(l);
    EXPECT_TRUE(o.isLight);
    EXPECT_FLOAT_EQ(o.lightAmbient[0], 0.12f);
    EXPECT_FLOAT_EQ(o.lightDiffuse[2], 0.5f);
    EXPECT_FLOAT_EQ(o.lightSpecular[1], 0.25f);
    EXPECT_FALSE(o.positional);
    EXPECT_EQ(o.lightOffset.z, 3.0f);
    EXPECT_EQ(o.spotDirection.y, -1.0f);
    EXPECT_EQ(o.spotExponent, 7.0f);
    EXPECT_EQ(o.spotCutoff, 45.0f);
    EXPECT_EQ(o.constantAttenuation, 0.0f);
    EXPECT_FLOAT_EQ(o.linearAttenuation, 0.025f);
    EXPECT_EQ(o.quadraticAttenuation, 0.5f);
    EXPECT_TRUE(o.castsShadows);
    EXPECT_EQ(o.shadowMapSize, 128);
    // The object keeps its own frustum and projected texture.
    EXPECT_FLOAT_EQ(o.shadowNear, 0.1f);
    EXPECT_EQ(o.shadowFar, 100.0f);
    EXPECT_EQ(o.shadowFov, 60.0f);
    EXPECT_EQ(o.projectedTexture, 0u);
    EXPECT_EQ(o.shadowTexture, 0u);
}

TEST(ShadowMapSize, LargestPowerOfTwoInsideBothLimits) {
    EXPECT_EQ(fittedShadowMapSize(800, 600), 512);
    EXPECT_EQ(fittedShadowMapSize(256, 256), 256);
    EXPECT_EQ(fittedShadowMapSize(255, 4096), 128);
    EXPECT_EQ(fittedShadowMapSize(1, 1), 1);
    // No room at all still leaves a one-texel map rather than a zero-sized texture.
    EXPECT_EQ(fittedShadowMapSize(0, 600), 1);
    EXPECT_EQ(fittedShadowMapSize(0x7fffffff, 0x7fffffff), 1 << 30);
}

TEST(ObjectRenderer, LightsWithoutShadowsKeepTheirMapSize) {
    ObjectRenderer r;
    LightSettings l;
    l.castsShadows = false;
    l.shadowMapSize = 1024;
    const int index = r.addLight(l, 800, 600);
    EXPECT_EQ(l.shadowMapSize, 1024);
    ASSERT_NE(r.object(index), nullptr);
    EXPECT_EQ(r.object(index)->shadowMapSize, 1024);
    EXPECT_TRUE(r.object(index)->isLight);
}

TEST(ObjectRenderer, CreationAppendsObjectChildListAndRootFlag) {
    ObjectRenderer r;
    Surface s = texturedSurface();
    const int blob = r.addBlob(2.0f, 10, 10, s, false);
    const int box = r.addBox(4, 4, s, true);
    EXPECT_EQ(blob, 0);
    EXPECT_EQ(box, 1);
    EXPECT_EQ(r.objectCount(), 2);
    EXPECT_EQ(r.childLists.size(), 2u);
    EXPECT_EQ(r.rootFlags.size(), 2u);
    EXPECT_TRUE(r.rootFlags[0] && r.rootFlags[1]);
    EXPECT_EQ(r.object(blob)->vertexCount, 10 * 9 + 2);
    EXPECT_EQ(r.object(blob)->faceCount, 2 * 10 * 9);
    EXPECT_EQ(r.object(blob)->surfaces[0].unitTexture[0], 7u);
    EXPECT_GT(r.object(box)->faceCount, 0);
    EXPECT_TRUE(r.object(box)->changed);
    EXPECT_EQ(r.object(2), nullptr);
    EXPECT_EQ(r.object(-1), nullptr);
}

TEST(ObjectRenderer, BlobIsBuiltWithRadiusAndUnitScales) {
    ObjectRenderer r;
    const int blob = r.addBlob(2.0f, 8, 6, Surface(), false);
    // The first vertex is the north pole at the radius.
    const MeshVertex& pole = r.object(blob)->vertices[0];
    EXPECT_NEAR(pole.position.y, 2.0f, 1e-5f);
    EXPECT_NEAR(pole.position.x, 0.0f, 1e-5f);
}

TEST(ObjectRenderer, AttachChildIgnoresIndicesThatNameNoObject) {
    ObjectRenderer r;
    r.addBlob(1, 4, 4, Surface(), false);
    r.addBlob(1, 4, 4, Surface(), false);
    r.attachChild(0, 1);
    r.attachChild(0, 5);
    r.attachChild(-1, 0);
    ASSERT_EQ(r.childLists[0].size(), 1u);
    EXPECT_EQ(r.childLists[0][0], 1);
    EXPECT_TRUE(r.childLists[1].empty());
}

TEST(ObjectRenderer, CopyVertexPositionsNeedsEqualNonZeroCounts) {
    ObjectRenderer r;
    const int a = r.addBlob(1.0f, 6, 6, Surface(), false);
    const int b = r.addBlob(3.0f, 6, 6, Surface(), false);
    const int c = r.addBlob(3.0f, 8, 6, Surface(), false);
    LightSettings lamp;
    const int empty = r.addLight(lamp, 256, 256);

    const Vec3 cBefore = r.object(c)->vertices[1].position;
    r.copyVertexPositions(a, c);  // different vertex counts: nothing happens
    EXPECT_EQ(r.object(c)->vertices[1].position.x, cBefore.x);
    EXPECT_EQ(r.object(c)->vertices[1].position.y, cBefore.y);

    r.copyVertexPositions(empty, empty);  // no vertices: nothing to copy, nothing breaks
    EXPECT_EQ(r.object(empty)->vertexCount, 0);

    const Vec3 texBefore = r.object(b)->vertices[3].texCoord;
    r.copyVertexPositions(a, b);
    for (int i = 0; i < r.object(a)->vertexCount; ++i) {
        EXPECT_EQ(r.object(b)->vertices[i].position.x, r.object(a)->vertices[i].position.x);
        EXPECT_EQ(r.object(b)->vertices[i].position.z, r.object(a)->vertices[i].position.z);
    }
    // Only positions move over.
    EXPECT_EQ(r.object(b)->vertices[3].texCoord.x, texBefore.x);
    r.copyVertexPositions(a, 99);
}

TEST(ObjectRenderer, RetextureMapsPositionsOntoTheSphere) {
    ObjectRenderer r;
    const int box = r.addBox(4, 4, Surface(), false);
    r.retexture(box, 2.0f);
    const SceneObject& o = *r.object(box);
    for (int i = 0; i < o.vertexCount; ++i) {
        const Vec3 expected = sphereTexCoords(o.vertices[i].position, 2.0f, 1.0f, 1.0f);
        EXPECT_FLOAT_EQ(o.vertices[i].texCoord.x, expected.x);
        EXPECT_FLOAT_EQ(o.vertices[i].texCoord.y, expected.y);
    }
    r.retexture(7, 1.0f);  // no such object
}
