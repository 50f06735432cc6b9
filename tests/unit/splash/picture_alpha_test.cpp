#include "splash/picture_alpha.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

using Pixel = std::array<uint8_t, 4>; // blue, green, red, alpha (unused in the inputs)

TEST(PictureAlpha, TheWhiteThatShowsThroughIsTransparency) {
    struct Case {
        const char* what;
        Pixel overBlack, overWhite, expected;
    };
    const Case cases[] = {
        {"opaque", {10, 200, 30, 0}, {10, 200, 30, 0}, {10, 200, 30, 255}},
        {"transparent", {0, 0, 0, 0}, {255, 255, 255, 0}, {0, 0, 0, 0}},
        // Red at alpha 128: 128 over black, 128 + 127 over white.
        {"half", {0, 0, 128, 0}, {127, 127, 255, 0}, {0, 0, 128, 128}},
        // Channels that disagree: the most light that came through wins, and no channel of
        // the result exceeds its alpha (premultiplied).
        {"uneven", {200, 50, 0, 0}, {210, 40, 100, 0}, {155, 50, 0, 155}},
        {"darker over white", {90, 90, 90, 0}, {80, 80, 80, 0}, {90, 90, 90, 255}},
    };
    for (const Case& c : cases) {
        Pixel out{};
        alphaFromTwoBackdrops(c.overBlack.data(), c.overWhite.data(), out.data(), 1);
        EXPECT_EQ(out, c.expected) << c.what;
    }
}

TEST(PictureAlpha, ReportsTransparencyOnlyWhenSomePixelHasItAndWorksInPlace) {
    std::vector<uint8_t> black = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0};
    std::vector<uint8_t> white = black;
    EXPECT_FALSE(alphaFromTwoBackdrops(black.data(), white.data(), black.data(), 3));
    EXPECT_EQ(black, (std::vector<uint8_t>{1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255}));

    white = {1, 2, 3, 0, 4, 5, 6, 0, 255, 255, 255, 0}; // only the last one shows the white
    black = {1, 2, 3, 0, 4, 5, 6, 0, 0, 0, 0, 0};
    EXPECT_TRUE(alphaFromTwoBackdrops(black.data(), white.data(), black.data(), 3));
    EXPECT_EQ(black, (std::vector<uint8_t>{1, 2, 3, 255, 4, 5, 6, 255, 0, 0, 0, 0}));
}

} // namespace
