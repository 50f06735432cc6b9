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

TEST(SplashWorkArea, TheCurrentDesktopsAreaWithinTheMonitor) {
    const SplashArea monitor{1920, 0, 1280, 1024}; // right of a first monitor
    struct Case {
        std::vector<int64_t> areas;
        int64_t desktop;
        SplashArea expected;
    };
    const Case cases[] = {
        {{}, 0, monitor},                                  // no window manager says
        {{1920, 0, 1280, 1000}, 0, {1920, 0, 1280, 1000}}, // a panel at the bottom
        {{0, 0, 3200, 1024, 1920, 30, 1280, 994}, 1, {1920, 30, 1280, 994}},
        {{0, 0, 3200, 1024}, 1, monitor},    // no such desktop
        {{0, 0, 3200, 1024, 0}, 1, monitor}, // a desktop cut short
        {{0, 0, 3200, 1024}, -1, monitor},
        {{0, 40, 3200, 984}, 0, {1920, 40, 1280, 984}}, // spans both monitors
        {{0, 0, 1920, 1080}, 0, monitor},               // only the other monitor
        {{1900, -10, 40, 20}, 0, {1920, 0, 20, 10}},
        {{INT32_MAX, 0, 0xFFFFFFFF, 0xFFFFFFFF}, 0, monitor},
    };
    for (const Case& c : cases) {
        const SplashArea area = splashWorkArea(c.areas, c.desktop, monitor);
        EXPECT_EQ(area.x, c.expected.x) << c.areas.size() << " " << c.desktop;
        EXPECT_EQ(area.y, c.expected.y);
        EXPECT_EQ(area.width, c.expected.width);
        EXPECT_EQ(area.height, c.expected.height);
    }
    const SplashArea work{0, 24, 1280, 1000};
    EXPECT_TRUE(fitsSplashArea(1280, 1000, work));
    EXPECT_FALSE(fitsSplashArea(1281, 1000, work));
    EXPECT_FALSE(fitsSplashArea(1280, 1001, work));
    EXPECT_FALSE(fitsSplashArea(8000, 8000, work));
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
