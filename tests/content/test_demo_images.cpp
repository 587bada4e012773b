#include "content/Demo.h"
#include "resources/ImageFiles.h"

#include <gtest/gtest.h>

#include <iterator>

TEST(DemoImages, TheTextureTableLoadsExactlyTheImagesTheToolsMake) {
    const std::set<std::string> made(std::begin(imagefiles::kTextures),
                                     std::end(imagefiles::kTextures));
    EXPECT_EQ(Demo::textureFiles(), made);
}
