#pragma once

// Java version numbers: four signed parts (1.8.0_202 -> 1, 8, 0, 202), read leniently from
// registry subkey names and settings. 0.0.0.0 stands for "no lower bound" and is also what a
// failed parse gives; 65535.65535.65535.65535 stands for "no upper bound".

#include <cstdint>
#include <string>

struct JavaVersion {
    int32_t parts[4] = {0, 0, 0, 0};

    static constexpr int32_t unboundedPart = 65535;
    static JavaVersion lowest() { return {}; }
    static JavaVersion highest() { return {{65535, 65535, 65535, 65535}}; }

    // Reads up to four runs of digits; any non-digit separates parts. Parts not read get
    // fill. False (and 0.0.0.0) for a text without digits or with a number above 2147483647
    // (a part that already exceeds 214748364 takes no further digit).
    static bool parse(const std::string& text, int32_t fill, JavaVersion& version);
    // The same reading for a bound the user wrote: a part above the 32-bit range reads as
    // the largest part (2147483647) instead of failing, so a bound with digits still bounds.
    static bool parseBound(const std::string& text, int32_t fill, JavaVersion& version);

    friend bool operator==(const JavaVersion& a, const JavaVersion& b);
    friend bool operator!=(const JavaVersion& a, const JavaVersion& b) { return !(a == b); }
};

// -1, 0 or 1, part by part as signed numbers.
int compare(const JavaVersion& a, const JavaVersion& b);
// A pattern's trailing zero parts match anything (1.7 matches every 1.7.x.y).
bool matches(const JavaVersion& version, const JavaVersion& pattern);
// True for 0.0.0.0 and 65535.65535.65535.65535.
bool isUnbounded(const JavaVersion& version);
// Up to the last part that is neither 0 nor 65535, at least two parts unless the second only
// fills an open maximum: 1.8.0.0 -> "1.8", 11.65535.65535.65535 -> "11".
std::string toString(const JavaVersion& version);

// Bound settings: exactly "any" means unbounded; otherwise parseBound with fill 0 (minimum) or
// 65535 (maximum). An absent or digit-less maximum also means no upper bound.
JavaVersion minimumVersionSetting(const std::string& text);
JavaVersion maximumVersionSetting(const std::string& text);
