#include "resources/TextureManager.h"

#include "render/VectorMath.h"
#include "resources/PngImage.h"
#include "resources/PngTestFiles.h"
#include "support/GlTestWindow.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Rgba = std::array<unsigned char, 4>;

class TextureManagerGlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gltest::ensureWindow(128, 128));
        ASSERT_TRUE(dir.ok());
        glBindTexture(GL_TEXTURE_2D, 0);
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }
    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }

    // A width x height RGBA file of one colour, except that the first row is firstRow.
    std::string writeImage(const std::string& name, int width, int height, Rgba colour,
                           Rgba firstRow) {
        std::vector<unsigned char> bytes;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const Rgba& c = y == 0 ? firstRow : colour;
                bytes.insert(bytes.end(), c.begin(), c.end());
            }
        pngtest::PngSpec spec;
        spec.width = width;
        spec.height = height;
        const std::string path = dir.file(name);
        EXPECT_TRUE(pngtest::writePng(path, spec, bytes));
        return path;
    }
    std::string writeImage(const std::string& name, int width, int height, Rgba colour) {
        return writeImage(name, width, height, colour, colour);
    }

    static GLint boundTexture(GLenum binding) {
        GLint id = -1;
        glGetIntegerv(binding, &id);
        return id;
    }
    static GLint parameter(GLenum target, GLenum name) {
        GLint value = -1;
        glGetTexParameteriv(target, name, &value);
        return value;
    }
    static GLint faceWidth(GLuint cubeMap, int face) {
        glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
        GLint width = -1;
        glGetTexLevelParameteriv(static_cast<GLenum>(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face), 0,
                                 GL_TEXTURE_WIDTH, &width);
        return width;
    }
    // The texels of level 0 of a 2D texture or of one cube map face.
    static std::vector<unsigned char> texels(GLenum target, GLuint id, GLenum image, int count) {
        glBindTexture(target, id);
        std::vector<unsigned char> out(static_cast<std::size_t>(count) * 4, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(image, 0, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
        return out;
    }

    pngtest::TempDir dir;
};

TEST_F(TextureManagerGlTest, LoadsA2DTextureWithTheFirstFileRowAtTZero) {
    const std::string path = writeImage("a.png", 4, 2, {10, 20, 30, 40}, {200, 150, 100, 50});
    TextureManager textures;
    ASSERT_EQ(textures.load(path, "a"), TextureResult::Ok);
    const TextureRecord* record = textures.find("a");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->fileName, path);
    EXPECT_EQ(record->width, 4);
    EXPECT_EQ(record->height, 2);
    EXPECT_NE(record->textureId, 0u);
    EXPECT_EQ(textures.textureId("a"), record->textureId);
    EXPECT_EQ(boundTexture(GL_TEXTURE_BINDING_2D), static_cast<GLint>(record->textureId));

    const std::vector<unsigned char> t =
        texels(GL_TEXTURE_2D, record->textureId, GL_TEXTURE_2D, 8);
    EXPECT_EQ(Rgba({t[0], t[1], t[2], t[3]}), Rgba({200, 150, 100, 50}));
    EXPECT_EQ(Rgba({t[16], t[17], t[18], t[19]}), Rgba({10, 20, 30, 40}));
}

TEST_F(TextureManagerGlTest, ColourScaleAndBiasReachThePixels) {
    const std::string path = writeImage("c.png", 2, 2, {100, 100, 100, 99});
    TextureManager textures;
    const Vec3 scale(0.5f, 2.0f, 1.0f), bias(0.0f, 0.0f, 0.2f);
    ASSERT_EQ(textures.load(path, "c", &scale, &bias), TextureResult::Ok);
    const std::vector<unsigned char> t =
        texels(GL_TEXTURE_2D, textures.textureId("c"), GL_TEXTURE_2D, 4);
    EXPECT_EQ(Rgba({t[0], t[1], t[2], t[3]}), Rgba({50, 200, 151, 99}));
}

TEST_F(TextureManagerGlTest, SamplingStateIsAppliedOnlyByBind) {
    const std::string path = writeImage("s.png", 2, 2, {1, 2, 3, 4});
    TextureManager textures;
    ASSERT_EQ(textures.load(path, "s"), TextureResult::Ok);
    const GLuint id = textures.textureId("s");

    // Just loaded: OpenGL's defaults (mipmapped minification, which the texture could not
    // even use without mipmaps).
    glBindTexture(GL_TEXTURE_2D, id);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_LINEAR);
    // Wrapping defaults to repeat anyway; clamp it to see bind put the record's value back.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);

    textures.bind("s");
    EXPECT_EQ(boundTexture(GL_TEXTURE_BINDING_2D), static_cast<GLint>(id));
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
}

TEST_F(TextureManagerGlTest, UnknownNamesFindNothingAndBindChangesNothing) {
    const std::string path = writeImage("k.png", 2, 2, {1, 2, 3, 4});
    TextureManager textures;
    ASSERT_EQ(textures.load(path, "known"), TextureResult::Ok);
    EXPECT_EQ(textures.textureId("unknown"), 0u);
    EXPECT_EQ(textures.find("unknown"), nullptr);
    EXPECT_EQ(textures.textureId("Known"), 0u);   // case-sensitive
    EXPECT_EQ(textures.textureId("known "), 0u);  // whole-string match

    const GLuint id = textures.textureId("known");
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    textures.bind("unknown");
    EXPECT_EQ(boundTexture(GL_TEXTURE_BINDING_2D), static_cast<GLint>(id));
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
}

TEST_F(TextureManagerGlTest, FailedLoadsLeaveNoRecord) {
    TextureManager textures;
    EXPECT_EQ(textures.load(dir.file("missing.png"), "m"), TextureResult::FileOpenFailed);
    const std::string notPng = dir.file("not.png");
    pngtest::writeFileBytes(notPng, {'G', 'I', 'F', '8', '9', 'a'});
    EXPECT_EQ(textures.load(notPng, "n"), TextureResult::FormatNotSupported);
    EXPECT_TRUE(textures.records().empty());
    EXPECT_EQ(textures.textureId("m"), 0u);
    EXPECT_EQ(boundTexture(GL_TEXTURE_BINDING_2D), 0);
}

TEST_F(TextureManagerGlTest, DuplicateNamesKeepBothRecordsAndFindTheFirst) {
    const std::string first = writeImage("first.png", 2, 2, {1, 1, 1, 1});
    const std::string second = writeImage("second.png", 4, 4, {2, 2, 2, 2});
    TextureManager textures;
    ASSERT_EQ(textures.load(first, "dup"), TextureResult::Ok);
    const TextureRecord* found = textures.find("dup");
    ASSERT_EQ(textures.load(second, "dup"), TextureResult::Ok);
    ASSERT_EQ(textures.records().size(), 2u);
    EXPECT_NE(textures.records()[0].textureId, textures.records()[1].textureId);
    EXPECT_EQ(textures.textureId("dup"), textures.records()[0].textureId);
    EXPECT_EQ(textures.find("dup"), found);  // still valid after the second load
    EXPECT_EQ(found->fileName, first);
    EXPECT_EQ(found->width, 2);
}

TEST_F(TextureManagerGlTest, CubeMapFacesGoToTheTargetsInListOrder) {
    const Rgba colours[6] = {{255, 0, 0, 255},   {0, 255, 0, 255},   {0, 0, 255, 255},
                             {255, 255, 0, 255}, {0, 255, 255, 255}, {255, 0, 255, 255}};
    std::vector<std::string> faces;
    for (int i = 0; i < 6; ++i)
        faces.push_back(writeImage("face" + std::to_string(i) + ".png", 8, 8, colours[i]));
    TextureManager textures;
    // The file name argument is only recorded, never read.
    ASSERT_EQ(textures.load("cube-name-only.png", "cube", nullptr, nullptr, true, faces),
              TextureResult::Ok);
    const TextureRecord* record = textures.find("cube");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->fileName, "cube-name-only.png");
    EXPECT_EQ(record->width, 8);
    EXPECT_EQ(record->target, static_cast<GLenum>(GL_TEXTURE_CUBE_MAP));
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const std::vector<unsigned char> t =
            texels(GL_TEXTURE_CUBE_MAP, record->textureId,
                   static_cast<GLenum>(GL_TEXTURE_CUBE_MAP_POSITIVE_X + i), 64);
        EXPECT_EQ(Rgba({t[0], t[1], t[2], t[3]}), colours[i]);
    }
}

TEST_F(TextureManagerGlTest, CubeMapWithAMissingThirdFaceKeepsRecordAndFirstTwoFaces) {
    std::vector<std::string> faces;
    for (int i = 0; i < 6; ++i)
        faces.push_back(i == 2 ? dir.file("missing-face.png")
                               : writeImage("f" + std::to_string(i) + ".png", 4, 4,
                                            {100, 100, 100, 255}));
    TextureManager textures;
    EXPECT_EQ(textures.load("cube.png", "cube", nullptr, nullptr, true, faces),
              TextureResult::FileOpenFailed);
    const TextureRecord* record = textures.find("cube");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->width, 4);
    EXPECT_EQ(faceWidth(record->textureId, 0), 4);
    EXPECT_EQ(faceWidth(record->textureId, 1), 4);
    for (int i = 2; i < 6; ++i) EXPECT_EQ(faceWidth(record->textureId, i), 0) << "face " << i;
}

TEST_F(TextureManagerGlTest, CubeMapWithAMissingFirstFaceOrNoFacesMakesNoRecord) {
    TextureManager textures;
    EXPECT_EQ(textures.load("c.png", "none", nullptr, nullptr, true, {}), TextureResult::Ok);
    EXPECT_EQ(textures.load("c.png", "missing", nullptr, nullptr, true,
                            {dir.file("nope.png"), writeImage("x.png", 2, 2, {1, 2, 3, 4})}),
              TextureResult::FileOpenFailed);
    EXPECT_TRUE(textures.records().empty());
}

TEST_F(TextureManagerGlTest, CubeMapReadsNoMoreThanSixFaces) {
    std::vector<std::string> faces;
    for (int i = 0; i < 6; ++i)
        faces.push_back(writeImage("g" + std::to_string(i) + ".png", 2, 2, {9, 9, 9, 9}));
    faces.push_back(dir.file("seventh-missing.png"));
    TextureManager textures;
    EXPECT_EQ(textures.load("c.png", "cube", nullptr, nullptr, true, faces), TextureResult::Ok);
}

TEST_F(TextureManagerGlTest, BindingACubeMapLeavesThe2DBindingAlone) {
    const std::string flat = writeImage("flat.png", 2, 2, {1, 2, 3, 4});
    std::vector<std::string> faces(6, writeImage("face.png", 2, 2, {5, 6, 7, 8}));
    TextureManager textures;
    ASSERT_EQ(textures.load(flat, "flat"), TextureResult::Ok);
    ASSERT_EQ(textures.load("c.png", "cube", nullptr, nullptr, true, faces), TextureResult::Ok);
    textures.bind("flat");
    textures.bind("cube");
    EXPECT_EQ(boundTexture(GL_TEXTURE_BINDING_2D), static_cast<GLint>(textures.textureId("flat")));
    EXPECT_EQ(boundTexture(GL_TEXTURE_BINDING_CUBE_MAP),
              static_cast<GLint>(textures.textureId("cube")));
    EXPECT_EQ(parameter(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
}

TEST_F(TextureManagerGlTest, DestructionDeletesEveryTexture) {
    const std::string a = writeImage("a.png", 2, 2, {1, 2, 3, 4});
    std::vector<std::string> faces(6, writeImage("face.png", 2, 2, {5, 6, 7, 8}));
    std::vector<GLuint> ids;
    {
        TextureManager textures;
        ASSERT_EQ(textures.load(a, "a"), TextureResult::Ok);
        ASSERT_EQ(textures.load(a, "a"), TextureResult::Ok);
        ASSERT_EQ(textures.load("c.png", "cube", nullptr, nullptr, true, faces),
                  TextureResult::Ok);
        for (const TextureRecord& r : textures.records()) {
            ids.push_back(r.textureId);
            EXPECT_EQ(glIsTexture(r.textureId), GL_TRUE);
        }
    }
    ASSERT_EQ(ids.size(), 3u);
    for (GLuint id : ids) EXPECT_EQ(glIsTexture(id), GL_FALSE) << id;
}

}  // namespace
