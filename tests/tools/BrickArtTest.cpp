// The generated brick art as the game draws it.
#include "framework/graphics/ImageLib.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

// A shining brick is drawn from its shine sheet alone, so every cel of the
// sheet must show the whole brick: each pixel the brick's first frame covers
// stays covered while the light passes.
TEST(BrickArt, EveryShineCelShowsTheWholeBrick)
{
    const std::string folder = std::string(KIVO_DATA_DIR) + "/tree/images/bricks/";
    for (int colour = 0; colour < 10; ++colour) {
        const std::string n = std::to_string(colour);
        std::unique_ptr<ImageLib::Image> brick(ImageLib::GetImage(folder + "brick_" + n + ".png", false));
        std::unique_ptr<ImageLib::Image> shine(ImageLib::GetImage(folder + "brick_shine_" + n + ".png", false));
        ASSERT_TRUE(brick && shine) << n;
        const int size = brick->mHeight; // square cels in one row
        ASSERT_EQ(shine->mHeight, size) << n;
        ASSERT_EQ(shine->mWidth % size, 0) << n;
        const auto alpha = [](const ImageLib::Image& image, int x, int y) { return image.mBits[y * image.mWidth + x] >> 24; };
        for (int cel = 0; cel < shine->mWidth / size; ++cel) {
            int uncovered = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    if (alpha(*brick, x, y) >= 200 && alpha(*shine, cel * size + x, y) < 200)
                        ++uncovered;
            EXPECT_EQ(uncovered, 0) << "colour " << n << " cel " << cel;
        }
    }
}

} // namespace
