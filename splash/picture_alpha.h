#pragma once

// Transparency of a picture that a renderer can only draw onto a background: drawn once over
// black and once over white, each pixel shows how much of the background comes through.

#include <cstddef>
#include <cstdint>

// overBlack and overWhite hold pixelCount 32-bit pixels (blue, green, red, unused) of the same
// picture drawn over black and over white. Writes premultiplied BGRA to out (which may be
// overBlack) and returns true when some pixel is not fully opaque.
bool alphaFromTwoBackdrops(const uint8_t* overBlack, const uint8_t* overWhite, uint8_t* out,
                           size_t pixelCount);
