#include "splash/picture_header.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Bytes = std::string;

Bytes be16(uint32_t v) {
    return {static_cast<char>(v >> 8), static_cast<char>(v)};
}
Bytes be32(uint32_t v) {
    return be16(v >> 16) + be16(v & 0xFFFF);
}
Bytes le16(uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8)};
}
Bytes le32(uint32_t v) {
    return le16(v & 0xFFFF) + le16(v >> 16);
}
Bytes zeros(size_t count) {
    return Bytes(count, '\0');
}

const Bytes pngSignature("\x89PNG\r\n\x1A\n", 8);

Bytes png(uint32_t width, uint32_t height) {
    return pngSignature + be32(13) + "IHDR" + be32(width) + be32(height) + "\x08\x06" + zeros(7);
}

// Start of image, an application segment, then a frame header of the given marker.
Bytes jpeg(uint8_t frameMarker, uint32_t width, uint32_t height) {
    return Bytes("\xFF\xD8\xFF\xE0", 4) + be16(16) + "JFIF" + zeros(10) + "\xFF\xFF" +
           static_cast<char>(frameMarker) + be16(17) + "\x08" + be16(height) + be16(width) +
           zeros(10);
}

// A GIF screen with a global colour table of 4 entries, a graphic control extension, and the
// first image's descriptor at (left, top) of width by height.
Bytes gif(uint32_t screenWidth, uint32_t screenHeight, uint32_t left, uint32_t top, uint32_t width,
          uint32_t height) {
    return "GIF89a" + le16(screenWidth) + le16(screenHeight) + "\x81" + zeros(2) + zeros(12) +
           "\x21\xF9\x04" + zeros(4) + Bytes(1, '\0') + "\x2C" + le16(left) + le16(top) +
           le16(width) + le16(height) + zeros(1);
}

Bytes bmp(uint32_t infoSize, uint32_t width, uint32_t height) {
    const Bytes sizes = infoSize == 12 ? le16(width) + le16(height) : le32(width) + le32(height);
    return "BM" + zeros(12) + le32(infoSize) + sizes + zeros(30);
}

struct IconImage {
    uint8_t directoryWidth, directoryHeight;
    Bytes image; // what lies at the entry's offset
};

Bytes icon(uint16_t type, std::initializer_list<IconImage> images) {
    Bytes directory = le16(0) + le16(type) + le16(static_cast<uint32_t>(images.size()));
    Bytes data;
    size_t offset = 6 + 16 * images.size();
    for (const IconImage& image : images) {
        directory += Bytes{static_cast<char>(image.directoryWidth),
                           static_cast<char>(image.directoryHeight), 0, 0} +
                     le16(1) + le16(32) + le32(static_cast<uint32_t>(image.image.size())) +
                     le32(static_cast<uint32_t>(offset + data.size()));
        data += image.image;
    }
    return directory + data;
}

// A bitmap image inside an icon: its header counts colour and mask rows.
Bytes iconBitmap(uint32_t width, uint32_t height) {
    return le32(40) + le32(width) + le32(height * 2) + zeros(28);
}

Bytes placeableMetafile(int16_t left, int16_t top, int16_t right, int16_t bottom, uint16_t inch) {
    return Bytes("\xD7\xCD\xC6\x9A", 4) + le16(0) + le16(static_cast<uint16_t>(left)) +
           le16(static_cast<uint16_t>(top)) + le16(static_cast<uint16_t>(right)) +
           le16(static_cast<uint16_t>(bottom)) + le16(inch) + zeros(6);
}

Bytes enhancedMetafile(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return le32(1) + le32(88) + zeros(16) + le32(static_cast<uint32_t>(left)) +
           le32(static_cast<uint32_t>(top)) + le32(static_cast<uint32_t>(right)) +
           le32(static_cast<uint32_t>(bottom)) + " EMF" + zeros(44);
}

struct Case {
    const char* name;
    Bytes bytes;
    bool sized;
    int64_t width, height;
    bool himetric;
};

TEST(PictureHeaderSize, EachFormatGivesTheSizeItsHeaderClaims) {
    const Case cases[] = {
        {"png", png(300, 200), true, 300, 200, false},
        {"png claiming 10000 by 10000", png(10000, 10000), true, 10000, 10000, false},
        {"png of the largest sizes", png(0xFFFFFFFF, 0x80000000), true, 0xFFFFFFFF, 0x80000000,
         false},
        {"png cut inside its header", png(300, 200).substr(0, 23), false, 0, 0, false},
        {"png whose first chunk is no header", pngSignature + be32(13) + "IDAT" + zeros(13), false,
         0, 0, false},
        {"baseline jpeg after fill bytes", jpeg(0xC0, 640, 480), true, 640, 480, false},
        {"progressive jpeg", jpeg(0xC2, 10000, 10000), true, 10000, 10000, false},
        {"lossless jpeg", jpeg(0xC3, 7, 9), true, 7, 9, false},
        // C4 is a Huffman table, not a frame: the header after it counts.
        {"jpeg with a table before its frame",
         Bytes("\xFF\xD8\xFF\xC4", 4) + be16(4) + zeros(2) + jpeg(0xC1, 20, 10).substr(2), true, 20,
         10, false},
        {"jpeg whose scan comes before any frame",
         Bytes("\xFF\xD8\xFF\xDA", 4) + be16(8) + zeros(6), false, 0, 0, false},
        {"jpeg cut inside its frame header", jpeg(0xC0, 640, 480).substr(0, 28), false, 0, 0,
         false},
        {"jpeg whose segment claims no length", Bytes("\xFF\xD8\xFF\xE1\0\0", 6), false, 0, 0,
         false},
        {"jpeg with garbage between segments", Bytes("\xFF\xD8\x00\xFF\xC0", 5), false, 0, 0,
         false},
        {"gif as large as its first image", gif(200, 100, 0, 0, 200, 100), true, 200, 100, false},
        {"gif whose first image reaches beyond its screen", gif(1, 1, 100, 50, 65535, 65535), true,
         65635, 65585, false},
        {"gif without an image", gif(320, 240, 0, 0, 1, 1).substr(0, 32), true, 320, 240, false},
        {"gif87a", "GIF87a" + le16(5) + le16(6) + zeros(3), true, 5, 6, false},
        {"gif cut inside its screen", Bytes("GIF89a\x05\x00", 8), false, 0, 0, false},
        {"bmp", bmp(40, 400, 300), true, 400, 300, false},
        {"bmp with rows top down", bmp(124, 400, static_cast<uint32_t>(-300)), true, 400, 300,
         false},
        {"bmp of the lowest height", bmp(40, 1, 0x80000000), true, 1, 0x80000000, false},
        {"bmp with a negative width", bmp(40, static_cast<uint32_t>(-5), 3), true, -5, 3, false},
        {"bmp with a core header", bmp(12, 0xFFFF, 2), true, 0xFFFF, 2, false},
        {"bmp with a header of no known size", bmp(8, 10, 10), false, 0, 0, false},
        {"bmp cut inside its header", bmp(40, 10, 10).substr(0, 20), false, 0, 0, false},
        {"icon of two bitmaps",
         icon(1, {{16, 16, iconBitmap(16, 16)}, {48, 32, iconBitmap(48, 32)}}), true, 48, 32,
         false},
        {"icon whose directory says 256", icon(1, {{0, 0, iconBitmap(256, 256)}}), true, 256, 256,
         false},
        {"icon with a png larger than its directory says",
         icon(1, {{16, 16, iconBitmap(16, 16)}, {0, 0, png(10000, 20000)}}), true, 10000, 20000,
         false},
        {"icon with a bitmap larger than its directory says",
         icon(1, {{32, 32, iconBitmap(9000, 32)}}), true, 9000, 32, false},
        {"cursor", icon(2, {{32, 32, iconBitmap(32, 32)}}), true, 32, 32, false},
        {"icon whose image lies beyond the file",
         icon(1, {{32, 32, Bytes()}}).substr(0, 18) + le32(0x7FFFFFFF), true, 32, 32, false},
        {"icon without images", le16(0) + le16(1) + le16(0), false, 0, 0, false},
        {"icon whose directory is cut", icon(1, {{32, 32, iconBitmap(32, 32)}}).substr(0, 20),
         false, 0, 0, false},
        {"placeable metafile", placeableMetafile(0, 0, 3001, 1999, 1000), true, 7623, 5077, true},
        {"placeable metafile drawn right to left", placeableMetafile(100, 0, -100, 254, 254), true,
         2000, 2540, true},
        {"placeable metafile without units", placeableMetafile(0, 0, 10, 10, 0), false, 0, 0, true},
        {"enhanced metafile", enhancedMetafile(0, 0, 6350, 5080), true, 6350, 5080, true},
        {"enhanced metafile of an inverted frame", enhancedMetafile(100, 100, 0, 50), true, -100,
         -50, true},
        {"enhanced metafile of the widest frame", enhancedMetafile(INT32_MIN, 0, INT32_MAX, 1),
         true, 0xFFFFFFFF, 1, true},
        {"enhanced metafile without its signature", enhancedMetafile(0, 0, 1, 1).substr(0, 43),
         false, 0, 0, false},
        {"nothing", Bytes(), false, 0, 0, false},
        {"text", "just some text that is no picture", false, 0, 0, false},
    };
    for (const Case& c : cases) {
        PictureHeaderSize size;
        const auto* data = reinterpret_cast<const unsigned char*>(c.bytes.data());
        EXPECT_EQ(readPictureHeaderSize(data, c.bytes.size(), size), c.sized) << c.name;
        if (!c.sized)
            continue;
        EXPECT_EQ(size.width, c.width) << c.name;
        EXPECT_EQ(size.height, c.height) << c.name;
        EXPECT_EQ(size.himetric, c.himetric) << c.name;
    }
}

TEST(PictureHeaderSize, MetafileExtentsBecomePixelsAtTheScreensResolution) {
    struct Conversion {
        int64_t himetric;
        int32_t pixelsPerInch;
        int64_t pixels;
    };
    const Conversion conversions[] = {
        {2540, 96, 96},
        {6350, 96, 240},
        {13, 96, 0},
        {14, 96, 1}, // 0.49 and 0.53
        {-14, 96, -1},
        {0, 96, 0},
        {2540, 0, 0},
        {2540, -96, 0},
        {0xFFFFFFFF, 144, 243494209},
        // An absurd resolution is held where the product cannot overflow.
        {0xFFFFFFFF, INT32_MAX, (int64_t{0xFFFFFFFF} * (1 << 20) + 1270) / 2540},
    };
    for (const Conversion& c : conversions)
        EXPECT_EQ(himetricToPixels(c.himetric, c.pixelsPerInch), c.pixels)
            << c.himetric << " at " << c.pixelsPerInch;

    const PictureHeaderSize metafile{true, 6350, 2540};
    const PictureHeaderSize shown = headerPixelSize(metafile, 96, 192);
    EXPECT_FALSE(shown.himetric);
    EXPECT_EQ(shown.width, 240);
    EXPECT_EQ(shown.height, 192);
    const PictureHeaderSize raster{false, 300, 200};
    EXPECT_EQ(headerPixelSize(raster, 192, 192).width, 300);
}

} // namespace
