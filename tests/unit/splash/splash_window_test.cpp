#include "splash/splash_window.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(SplashShadow, OnlyExactlyTrueAsksForIt) {
    EXPECT_TRUE(wantsSplashShadow("true"));
    for (const char* value : {"", "True", "TRUE", "yes", "1", " true", "true "})
        EXPECT_FALSE(wantsSplashShadow(value)) << '"' << value << '"';
}

TEST(SplashPosition, CentredWithTruncatingDivision) {
    struct Case {
        int32_t screenWidth, screenHeight, width, height, left, top;
    };
    const Case cases[] = {
        {1920, 1080, 400, 300, 760, 390},
        {1920, 1080, 2000, 300, -40, 390},
        {1280, 1024, 0, 0, 640, 512},
        {1280, 1024, 401, 301, 439, 361},
        {1280, 1024, 1283, 1027, -1, -1}, // -1.5 truncates toward zero
        {1280, 1024, INT32_MAX, 1, (1280 - int64_t{INT32_MAX}) / 2, 511},
    };
    for (const Case& c : cases) {
        SplashPosition position =
            centredSplashPosition(c.screenWidth, c.screenHeight, c.width, c.height);
        EXPECT_EQ(position.left, c.left) << c.width;
        EXPECT_EQ(position.top, c.top) << c.height;
    }
}

TEST(SplashPictureFormat, PngIsKnownByItsSignature) {
    const unsigned char png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0};
    const unsigned char bmp[] = {'B', 'M', 0, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(isPngData(png, sizeof(png)));
    EXPECT_FALSE(isPngData(png, 7));
    EXPECT_FALSE(isPngData(bmp, sizeof(bmp)));
}

} // namespace
