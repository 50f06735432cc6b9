#include "splash/splash_image.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

SplashImage solid(int32_t width, int32_t height, uint32_t pixel) {
    SplashImage image;
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), pixel);
    return image;
}

uint32_t at(const SplashImage& image, int32_t x, int32_t y) {
    return image
        .pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)];
}

TEST(SplashSize, NotEmptyWithinXCoordinatesAndAtMostAQuarterGigabyteOfPixels) {
    struct Case {
        int64_t width, height;
        bool showable;
    };
    const Case cases[] = {
        {1, 1, true},
        {8192, 8192, true},
        {8193, 8192, false},
        {32767, 2048, true},
        {32768, 1, false},
        {2048, 32767, true},
        {1, 32768, false},
        {0, 10, false},
        {10, -1, false},
        {100000, 100000, false},
        {INT32_MAX, INT32_MAX, false},
        {int64_t{1} << 40, 0, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isShowableSplashSize(c.width, c.height), c.showable)
            << c.width << "x" << c.height;
}

TEST(SplashVisualPixels, PremultipliedWithAlphaComposedOverBlackWithout) {
    const PixelLayout xrgb{};
    const PixelLayout argb{0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000};
    const PixelLayout bgr{0x0000FF, 0x00FF00, 0xFF0000, 0};
    const PixelLayout rgb565{0xF800, 0x07E0, 0x001F, 0};
    struct Case {
        uint32_t pixel;
        PixelLayout layout;
        uint32_t expected;
    };
    const Case cases[] = {
        {0xFFC85028, xrgb, 0x00C85028}, {0xFFC85028, argb, 0xFFC85028},
        {0x80C85028, xrgb, 0x00642814}, {0x80C85028, argb, 0x80642814},
        {0x00C85028, xrgb, 0x00000000}, {0x00C85028, argb, 0x00000000},
        {0xFFC85028, bgr, 0x002850C8},  {0xFFFFFFFF, rgb565, 0xFFFF},
        {0xFF00FF00, rgb565, 0x07E0},   {0xFF808080, rgb565, (16u << 11) | (32u << 5) | 16u},
    };
    for (const Case& c : cases) {
        SplashImage image = solid(1, 1, c.pixel);
        EXPECT_EQ(visualPixels(image, c.layout), std::vector<uint32_t>{c.expected})
            << std::hex << c.pixel << " -> " << c.expected;
    }
}

TEST(SplashShape, RunsOfPixelsAtLeastHalfOpaqueRowByRow) {
    // Row 0: transparent, opaque, opaque, half, transparent; row 1: all below half; row 2:
    // opaque at both ends only.
    SplashImage image = solid(5, 3, 0xFF000000);
    const uint32_t rows[3][5] = {{0x00000000, 0xFF000000, 0xFF112233, 0x80000000, 0x7F000000},
                                 {0x7F000000, 0x00000000, 0x01000000, 0x00000000, 0x10000000},
                                 {0xFF000000, 0x00000000, 0x00000000, 0x00000000, 0xC0000000}};
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x)
            image.pixels[static_cast<size_t>(y * 5 + x)] = rows[y][x];
    EXPECT_TRUE(hasTransparentPixels(image));
    std::vector<SplashRun> runs = opaqueRuns(image);
    ASSERT_EQ(runs.size(), 3u);
    const SplashRun expected[] = {{1, 0, 3}, {0, 2, 1}, {4, 2, 1}};
    for (size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].x, expected[i].x) << i;
        EXPECT_EQ(runs[i].y, expected[i].y) << i;
        EXPECT_EQ(runs[i].width, expected[i].width) << i;
    }

    SplashImage opaque = solid(4, 2, 0x80FFFFFF);
    EXPECT_FALSE(hasTransparentPixels(opaque));
    EXPECT_EQ(opaqueRuns(opaque).size(), 2u);
}

TEST(SplashDropShadow, SoftDarkShadowBelowRightInsideTheMargin) {
    const int32_t width = 40, height = 20, margin = splashShadowMargin;
    SplashImage picture = solid(width, height, 0xFFC85028);
    picture.pixels[0] = 0x00000000; // a transparent corner lets the shadow through
    SplashImage shadowed = withDropShadow(picture);
    ASSERT_EQ(shadowed.width, width + 2 * margin);
    ASSERT_EQ(shadowed.height, height + 2 * margin);
    ASSERT_EQ(shadowed.pixels.size(), static_cast<size_t>(shadowed.width * shadowed.height));

    // The opaque picture is unchanged at its place.
    EXPECT_EQ(at(shadowed, margin + 1, margin), 0xFFC85028u);
    EXPECT_EQ(at(shadowed, margin + width - 1, margin + height - 1), 0xFFC85028u);
    // The shadow is black, darker below right than above left, and fades to nothing within
    // the margin.
    const uint32_t belowRight = at(shadowed, margin + width + 2, margin + height + 2);
    const uint32_t aboveLeft = at(shadowed, margin - 3, margin - 3);
    EXPECT_EQ(belowRight & 0xFFFFFF, 0u);
    EXPECT_GT(belowRight >> 24, 20u);
    EXPECT_LT(aboveLeft >> 24, belowRight >> 24);
    for (int32_t x = 0; x < shadowed.width; ++x)
        for (int32_t y : {0, shadowed.height - 1})
            EXPECT_EQ(at(shadowed, x, y), 0u) << x << "," << y;
    for (int32_t y = 0; y < shadowed.height; ++y)
        for (int32_t x : {0, shadowed.width - 1})
            EXPECT_EQ(at(shadowed, x, y), 0u) << x << "," << y;
    // Below the picture's transparent corner the shadow is faint, never the picture's colour.
    const uint32_t corner = at(shadowed, margin, margin);
    EXPECT_LT(corner >> 24, 0x80u);
    EXPECT_EQ(corner & 0xFFFFFF, 0u);

    // A wholly transparent picture casts no shadow.
    SplashImage clear = withDropShadow(solid(8, 8, 0x00FFFFFF));
    for (uint32_t pixel : clear.pixels)
        EXPECT_EQ(pixel, 0u);
}

} // namespace
