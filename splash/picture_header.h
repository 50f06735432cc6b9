#pragma once

// The size a picture file claims in its header, read without decoding it: a small file can
// claim any size, and a decoder allocates for the claim before it finds out otherwise.

#include <cstddef>
#include <cstdint>

struct PictureHeaderSize {
    // Raster formats give pixels; metafiles their extent in HIMETRIC units (0.01 mm).
    bool himetric = false;
    int64_t width = 0;
    int64_t height = 0;
};

// The size in the header of a PNG, JPEG, GIF, BMP, icon or cursor, placeable Windows metafile
// or enhanced metafile. For a GIF the larger of its screen and its first image; for an icon the
// largest of its images, as its directory and each image's own header give them. False for
// other bytes, a header cut short or a metafile without units.
bool readPictureHeaderSize(const unsigned char* data, size_t size, PictureHeaderSize& out);

// A HIMETRIC extent in pixels at pixelsPerInch, rounded to nearest (as MulDiv rounds).
int64_t himetricToPixels(int64_t himetric, int32_t pixelsPerInch);

// The claimed size in pixels at the screen's pixels per inch; raster sizes stay as they are.
PictureHeaderSize headerPixelSize(const PictureHeaderSize& size, int32_t pixelsPerInchX,
                                  int32_t pixelsPerInchY);
