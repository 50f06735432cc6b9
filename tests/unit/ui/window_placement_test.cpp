#include "ui/window_placement.h"

#include <gtest/gtest.h>

namespace {
struct CenterCase {
    const char* what;
    int32_t width, height;
    bool hasOwner;
    PixelRect owner;
    PixelRect workArea;
    int32_t x, y;
};

TEST(CenteredPosition, CentresAndKeepsInsideTheWorkArea) {
    const PixelRect screen{0, 0, 1920, 1040};
    const CenterCase cases[] = {
        {"work area", 300, 200, false, {}, screen, 810, 420},
        {"larger than the work area", 2500, 1500, false, {}, screen, 0, 0},
        {"owner", 100, 100, true, {100, 100, 300, 200}, screen, 150, 100},
        {"owner at the right edge", 400, 300, true, {1800, 900, 1920, 1040}, screen, 1520, 740},
        {"owner off the left edge", 400, 300, true, {-500, -400, -100, -100}, screen, 0, 0},
        {"second monitor", 300, 200, false, {}, {1920, 0, 3200, 1024}, 2410, 412},
        {"negative halves truncate", 3, 3, false, {}, {-5, -5, 0, 0}, -3, -3},
        {"extreme coordinates", 10, 10, false, {}, {2147483000, 0, 2147483600, 10}, 2147483295, 0},
    };
    for (const auto& c : cases) {
        PixelPoint p =
            centeredPosition(c.width, c.height, c.hasOwner ? &c.owner : nullptr, c.workArea);
        EXPECT_EQ(p.x, c.x) << c.what;
        EXPECT_EQ(p.y, c.y) << c.what;
    }
}

// Growing the exception dialog by 100 in both directions, control by control.
TEST(AnchoredRect, JavaExceptionDialogGrows) {
    const PixelRect initial{10, 20, 110, 60};
    const PixelRect current{12, 22, 115, 65}; // where the control is now
    struct Expected {
        int32_t id;
        PixelRect rect;
    };
    const Expected expected[] = {
        {209, {12, 22, 210, 160}},  {210, {12, 22, 210, 65}},  {212, {12, 120, 210, 160}},
        {211, {12, 120, 210, 160}}, {208, {12, 22, 210, 160}}, {1, {110, 120, 210, 160}},
        {2, {110, 120, 210, 160}},
    };
    size_t i = 0;
    for (; javaExceptionAnchors[i].controlId != -1; ++i) {
        ASSERT_LT(i, std::size(expected));
        PixelRect r = anchoredRect(javaExceptionAnchors[i].flags, initial, current, 100, 100);
        EXPECT_EQ(javaExceptionAnchors[i].controlId, expected[i].id);
        EXPECT_EQ(r.left, expected[i].rect.left) << expected[i].id;
        EXPECT_EQ(r.top, expected[i].rect.top) << expected[i].id;
        EXPECT_EQ(r.right, expected[i].rect.right) << expected[i].id;
        EXPECT_EQ(r.bottom, expected[i].rect.bottom) << expected[i].id;
    }
    EXPECT_EQ(i, std::size(expected));
    EXPECT_EQ(javaExceptionAnchors[i].flags, 0u);
}
} // namespace
