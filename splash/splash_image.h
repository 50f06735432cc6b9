#pragma once

// The decoded splash picture and what a window without a toolkit makes of it: pixels in the
// layout of the window's visual, the runs of its opaque part (the window's shape where the
// display cannot compose) and a soft drop shadow around it. Plain arithmetic, no display.

#include <cstdint>
#include <vector>

// Pixels row by row, top row first, each 0xAARRGGBB with straight (not premultiplied) alpha.
struct SplashImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
};

// A picture of more pixels than this (8192 by 8192) is taken for none: its pixels alone would
// take a quarter of a gigabyte, and a small file can claim any size in its header.
constexpr uint64_t maximumSplashPixels = uint64_t{1} << 26;
// Windows and pixmaps of X have 16-bit signed coordinates.
constexpr int64_t maximumSplashSide = 32767;
// Whether a picture of that size can be shown: not empty, neither side over maximumSplashSide
// and not over maximumSplashPixels.
bool isShowableSplashSize(int64_t width, int64_t height);

// Whether this machine keeps the lowest byte of a number first (how 0xAARRGGBB lies in memory).
bool isLittleEndianMachine();

// Where each channel lies in a pixel of the window's visual; alphaMask 0 for a visual without
// an alpha channel. Masks are contiguous bits, as TrueColor visuals give them.
struct PixelLayout {
    uint32_t redMask = 0xFF0000;
    uint32_t greenMask = 0x00FF00;
    uint32_t blueMask = 0x0000FF;
    uint32_t alphaMask = 0;
};

// The image in layout: premultiplied where the layout has alpha (what compositors expect),
// else composed over black, which is what an opaque window shows below a partly transparent
// pixel.
std::vector<uint32_t> visualPixels(const SplashImage& image, const PixelLayout& layout);

struct SplashRun {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
};

// True when some pixel is less than half opaque: only then does the window need a shape.
bool hasTransparentPixels(const SplashImage& image);
// The horizontal runs of pixels at least half opaque, top to bottom and left to right (the
// order a banded shape region wants).
std::vector<SplashRun> opaqueRuns(const SplashImage& image);

// Space around the picture that its drop shadow takes on each side.
constexpr int32_t splashShadowMargin = 12;
// The picture at (splashShadowMargin, splashShadowMargin) of a larger transparent image, over
// a soft shadow of its own outline cast down and to the right.
SplashImage withDropShadow(const SplashImage& picture);
