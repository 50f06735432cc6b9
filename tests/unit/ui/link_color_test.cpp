#include "ui/link_color.h"

#include <gtest/gtest.h>

namespace {

TEST(ParseColor, ReadsRedGreenBlueAsTheRegistryKeepsThem) {
    struct Case {
        const char* text;
        ColorValue expected;
    };
    const Case cases[] = {
        {"0,128,255", rgbColor(0, 128, 255)},
        {"300,0,0", rgbColor(44, 0, 0)},          // low 8 bits of each number
        {"0,0,-1", rgbColor(0, 0, 255)},          // -1 is only refused before a comma
        {" 12 , +7x,\t3", rgbColor(12, 7, 3)},    // blanks, sign, digits up to another char
        {"a,b,c", rgbColor(0, 0, 0)},             // no digits reads as 0
        {"-2,-256,-257", rgbColor(254, 0, 255)},  // negative numbers keep their low bits
        {"99999999999,0,0", rgbColor(255, 0, 0)}, // saturates at the largest 32-bit long
        {"-99999999999,0,0", rgbColor(0, 0, 0)},  // and at the smallest
        {"1,2,3,4", rgbColor(1, 2, 3)},           // the third number ends at the comma
        {"-1,0,0", invalidColor},
        {"0,-1,0", invalidColor},
        {"255,255", invalidColor},
        {"255,255,", invalidColor}, // nothing after the second comma
        {"", invalidColor},
        {"1;2;3", invalidColor},
        {",,", invalidColor},
        {",,x", rgbColor(0, 0, 0)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseColor(c.text), c.expected) << '"' << c.text << '"';
}

} // namespace
