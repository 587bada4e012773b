// The icon: its shape at the smallest and largest sizes, and the theme tree the build wrote.

#include "Icon.h"
#include "Png.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <cstdio>
#include <string>

namespace {

float brightness(const tools::Rgba& c) { return (c.r + c.g + c.b) / 3; }

} // namespace

TEST(Icon, TransparentCornersOpaqueInsideAndTheLetterStandsOutAtEverySize) {
    for (int size : {16, 256}) {
        tools::Image img = tools::drawIcon(size);
        ASSERT_EQ(img.width(), size);
        ASSERT_EQ(img.height(), size);
        for (int c : {0, size - 1}) {
            EXPECT_EQ(img.at(c, 0).a, 0.0f) << size;
            EXPECT_EQ(img.at(0, c).a, 0.0f) << size;
            EXPECT_EQ(img.at(c, size - 1).a, 0.0f) << size;
        }
        EXPECT_EQ(img.at(size / 2, size / 2).a, 1.0f) << size;
        EXPECT_EQ(img.at(size / 8, size / 2).a, 1.0f) << size;  // well inside the left edge
        // A pixel on the letter's lower arm against one in the gap between its arms.
        const tools::Rgba& stroke = img.at(size / 2, size * 70 / 100);
        const tools::Rgba& gap = img.at(size / 2, size * 30 / 100);
        EXPECT_GT(brightness(stroke), 0.85f) << size;
        EXPECT_GT(brightness(stroke), brightness(gap) + 0.3f) << size;
    }
}

TEST(Icon, TheBuildWroteOneSquarePngPerThemeFolder) {
    const std::string root = std::string(VERDANTH_BUILD_DIR) + "/icons/hicolor";
    DIR* dir = opendir(root.c_str());
    ASSERT_NE(dir, nullptr) << root;
    int folders = 0;
    bool has48 = false;  // the size the theme specification asks every application for
    while (dirent* e = readdir(dir)) {
        int w = 0, h = 0;
        if (std::sscanf(e->d_name, "%dx%d", &w, &h) != 2) continue;
        ++folders;
        has48 = has48 || w == 48;
        tools::Pixels px;
        std::string error;
        ASSERT_TRUE(tools::readPng(root + "/" + e->d_name + "/apps/verdanth.png", &px, nullptr, &error))
            << error;
        EXPECT_EQ(px.width, w) << e->d_name;
        EXPECT_EQ(px.height, h) << e->d_name;
        EXPECT_EQ(px.channels, 4) << e->d_name;
    }
    closedir(dir);
    EXPECT_GE(folders, 4);
    EXPECT_TRUE(has48);
}
