#include "splash/splash_window.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

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

TEST(SplashPictureFormat, KnownByTheFirstBytes) {
    struct Case {
        std::string bytes;
        const char* format;
    };
    const Case cases[] = {
        {std::string("\x89PNG\r\n\x1A\n\0", 9), "png"},
        {"\x89PNG\r\n\x1A", nullptr}, // cut short
        {"\xFF\xD8\xFF\xE0", "jpeg"},
        {"GIF89a..", "gif"},
        {"GIF87a", "gif"},
        {"GIF88a", nullptr},
        {"BM\x36\0", "bmp"},
        {std::string("\0\0\x01\0\x01\0", 6), "ico"},
        {std::string("\0\0\x02\0", 4), nullptr}, // a cursor
        {"", nullptr},
        {"<svg", nullptr},
    };
    for (const Case& c : cases) {
        const auto* data = reinterpret_cast<const unsigned char*>(c.bytes.data());
        const char* format = splashPictureFormat(data, c.bytes.size());
        EXPECT_STREQ(format, c.format) << c.bytes;
        EXPECT_EQ(isPngData(data, c.bytes.size()), c.format && std::string(c.format) == "png");
    }
}

} // namespace
