#pragma once

// Link colours of the hyperlink control: the defaults, and the "red,green,blue" text in which
// the user's browser settings keep them.

#include <cstdint>
#include <string>

// A colour as the drawing calls take it: red in the low byte, then green, then blue.
using ColorValue = uint32_t;

constexpr ColorValue rgbColor(uint8_t red, uint8_t green, uint8_t blue) {
    return red | (green << 8) | (static_cast<uint32_t>(blue) << 16);
}

constexpr ColorValue defaultLinkColor = rgbColor(0, 0, 255);
constexpr ColorValue defaultVisitedColor = rgbColor(128, 0, 128);
// The result of a text that is not a colour (all 32 bits set).
constexpr ColorValue invalidColor = 0xFFFFFFFF;

// "red,green,blue" in decimal, each number read as C's wcstol reads a 32-bit long (leading
// blanks, a sign, digits up to the first other character, 0 without digits, saturating), and
// each component the low 8 bits of its number. The first two numbers must not be -1 and
// must each end at a comma; something must follow the second comma. invalidColor otherwise.
ColorValue parseColor(const std::string& text);
