#include "support/java_version.h"

#include <gtest/gtest.h>

namespace {

JavaVersion v(int32_t a, int32_t b, int32_t c, int32_t d) {
    return {{a, b, c, d}};
}

TEST(JavaVersion, ParsesLeniently) {
    struct Case {
        const char* text;
        int32_t fill;
        bool ok;
        JavaVersion expected;
    } cases[] = {
        {"1.7.0_45", 0, true, v(1, 7, 0, 45)},
        {"1.6", 0, true, v(1, 6, 0, 0)},
        {"1.6", 65535, true, v(1, 6, 65535, 65535)},
        {"jdk-11.0.2", 0, true, v(11, 0, 2, 0)},
        {"1.8.0_202-b08", 0, true, v(1, 8, 0, 202)},
        {"17 beta", 0, true, v(17, 0, 0, 0)},
        {"letters", 0, false, v(0, 0, 0, 0)},
        {"", 65535, false, v(0, 0, 0, 0)},
        {"2147483647", 0, true, v(2147483647, 0, 0, 0)},
        {"2147483648.1", 0, false, v(0, 0, 0, 0)},
        {"1.2147483649", 65535, false, v(0, 0, 0, 0)},
        {"12345678901", 0, false, v(0, 0, 0, 0)},
        {"1.2.99999999999", 0, false, v(0, 0, 0, 0)},
    };
    for (const auto& c : cases) {
        JavaVersion parsed = v(9, 9, 9, 9);
        EXPECT_EQ(JavaVersion::parse(c.text, c.fill, parsed), c.ok) << c.text;
        EXPECT_EQ(parsed, c.expected) << c.text;
    }
}

TEST(JavaVersion, ComparesPartsAsSignedNumbers) {
    EXPECT_EQ(compare(v(1, 10, 0, 0), v(1, 9, 0, 0)), 1);
    EXPECT_EQ(compare(v(1, 7, 0, 80), v(1, 7, 65535, 65535)), -1);
    EXPECT_EQ(compare(v(1, 8, 0, 0), v(1, 8, 0, 0)), 0);
    EXPECT_EQ(compare(v(-1, 0, 0, 0), v(0, 0, 0, 0)), -1);
}

TEST(JavaVersion, MatchesPatternsWithTrailingZerosAsWildcards) {
    EXPECT_TRUE(matches(v(1, 7, 0, 45), v(1, 7, 0, 0)));
    EXPECT_TRUE(matches(v(1, 7, 0, 80), v(1, 7, 0, 0)));
    EXPECT_FALSE(matches(v(1, 8, 0, 0), v(1, 7, 0, 0)));
    EXPECT_TRUE(matches(v(1, 7, 0, 45), v(1, 7, 0, 45)));
    EXPECT_FALSE(matches(v(1, 7, 0, 46), v(1, 7, 0, 45)));
    EXPECT_TRUE(matches(v(11, 0, 2, 0), v(0, 0, 0, 0)));
    // Only trailing zeros are wildcards: 1.0.5 requires the 0 in the middle.
    EXPECT_FALSE(matches(v(1, 1, 5, 0), v(1, 0, 5, 0)));
}

TEST(JavaVersion, PrintsSignificantParts) {
    struct Case {
        JavaVersion version;
        const char* text;
    } cases[] = {
        {v(1, 7, 0, 45), "1.7.0.45"},     {v(1, 8, 0, 0), "1.8"},
        {v(1, 0, 0, 0), "1.0"},           {v(11, 0, 2, 0), "11.0.2"},
        {v(1, 7, 65535, 65535), "1.7"},   {v(1, 6, 0, 65535), "1.6"},
        {v(0, 0, 0, 0), "0.0.0.0"},       {JavaVersion::highest(), "0.0.0.0"},
        {v(0, 65535, 3, 0), "0.65535.3"}, {v(11, 65535, 65535, 65535), "11"},
        {v(11, 0, 65535, 65535), "11.0"}, {v(17, 0, 0, 0), "17.0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(toString(c.version), c.text);
}

TEST(JavaVersion, BoundSettings) {
    EXPECT_EQ(minimumVersionSetting("any"), JavaVersion::lowest());
    EXPECT_EQ(minimumVersionSetting("Any"), JavaVersion::lowest());
    EXPECT_EQ(minimumVersionSetting("1.6.0_20"), v(1, 6, 0, 20));
    EXPECT_EQ(maximumVersionSetting("any"), JavaVersion::highest());
    EXPECT_EQ(maximumVersionSetting("1.7"), v(1, 7, 65535, 65535));
    EXPECT_EQ(maximumVersionSetting("1.7.0"), v(1, 7, 0, 65535));
    // No maximum, or one without a version in it, is no upper bound.
    EXPECT_EQ(maximumVersionSetting(""), JavaVersion::highest());
    EXPECT_EQ(maximumVersionSetting("ANY"), JavaVersion::highest());
    EXPECT_TRUE(isUnbounded(minimumVersionSetting("")));
    EXPECT_FALSE(isUnbounded(v(1, 0, 0, 0)));
    EXPECT_FALSE(isUnbounded(v(65535, 0, 0, 0)));
    // A bound with an oversized part still bounds: the part reads as the largest one, while a
    // runtime's own version text with such a part keeps failing.
    const int32_t top = INT32_MAX;
    EXPECT_EQ(maximumVersionSetting("17.0.2147483648"), v(17, 0, top, 65535));
    EXPECT_EQ(maximumVersionSetting("1.8.0_99999999999"), v(1, 8, 0, top));
    EXPECT_EQ(maximumVersionSetting("99999999999"), v(top, 65535, 65535, 65535));
    EXPECT_EQ(minimumVersionSetting("17.99999999999.1"), v(17, top, 1, 0));
    EXPECT_GT(compare(v(25, 0, 0, 0), maximumVersionSetting("17.0.2147483648")), 0);
    JavaVersion runtime;
    EXPECT_FALSE(JavaVersion::parse("17.0.2147483648", 0, runtime));
    EXPECT_EQ(runtime, JavaVersion::lowest());
}

} // namespace
