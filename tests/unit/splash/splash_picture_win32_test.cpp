#include "splash/splash_picture_win32.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <cstring>
#include <vector>

namespace {

// A 3 by 2 pixel, 24-bit bottom-up BMP: the lower row blue, the upper row red.
std::vector<unsigned char> bmpFile() {
    const int width = 3, height = 2, stride = 12; // rows padded to 4 bytes
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + stride * height;
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::vector<unsigned char> bytes(file.bfSize, 0);
    std::memcpy(bytes.data(), &file, sizeof(file));
    std::memcpy(bytes.data() + sizeof(file), &info, sizeof(info));
    for (int x = 0; x < width; ++x) {
        bytes[file.bfOffBits + x * 3] = 0xFF;              // blue, bottom row
        bytes[file.bfOffBits + stride + x * 3 + 2] = 0xFF; // red, top row
    }
    return bytes;
}

// A 2 by 1 RGBA PNG: opaque red, then blue at alpha 128.
const unsigned char pngFile[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44,
    0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0xf4,
    0x22, 0x7f, 0x8a, 0x00, 0x00, 0x00, 0x0e, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8,
    0xcf, 0xc0, 0x00, 0x42, 0x0d, 0x00, 0x0f, 0x7a, 0x03, 0x7e, 0x77, 0xe9, 0x7f, 0x97, 0x00,
    0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

// The bitmap's pixels as 32-bit BGRA, top row first.
std::vector<uint32_t> pixelsOf(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> pixels(static_cast<size_t>(width * height));
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return pixels;
}

class SplashPictureTest : public ::testing::Test {
  protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
    SplashPicture picture;
    UniqueBitmap bitmap;
};

TEST_F(SplashPictureTest, ABitmapKeepsItsPixelsAndSizeAtTheScreensResolution) {
    std::vector<unsigned char> bmp = bmpFile();
    ASSERT_TRUE(picture.loadFromMemory(bmp.data(), bmp.size()));
    EXPECT_FALSE(picture.hasAlpha());
    // HIMETRIC back to pixels at the screen's 96 pixels per inch gives the file's size.
    EXPECT_EQ(picture.widthPixels(), 3);
    EXPECT_EQ(picture.heightPixels(), 2);
    picture.renderToBitmap(bitmap);
    ASSERT_TRUE(bitmap.valid());
    std::vector<uint32_t> pixels = pixelsOf(bitmap.get(), 3, 2);
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0xFF0000u) << "top row red";
    EXPECT_EQ(pixels[5] & 0xFFFFFF, 0x0000FFu) << "bottom row blue";
}

TEST_F(SplashPictureTest, APngKeepsItsAlphaPremultiplied) {
    ASSERT_TRUE(picture.loadFromMemory(pngFile, sizeof(pngFile)));
    EXPECT_TRUE(picture.hasAlpha());
    EXPECT_EQ(picture.widthPixels(), 2);
    EXPECT_EQ(picture.heightPixels(), 1);
    picture.renderToBitmap(bitmap);
    std::vector<uint32_t> pixels = pixelsOf(bitmap.get(), 2, 1);
    EXPECT_EQ(pixels[0], 0xFFFF0000u);
    EXPECT_EQ(pixels[1], 0x80000080u) << "blue at half alpha, premultiplied";
}

TEST_F(SplashPictureTest, WhatIsNoPictureLeavesNothingLoaded) {
    const unsigned char garbage[] = "not a picture at all";
    std::vector<unsigned char> truncatedPng(pngFile, pngFile + 40);
    EXPECT_FALSE(picture.loadFromMemory(garbage, sizeof(garbage)));
    EXPECT_FALSE(picture.loadFromMemory(truncatedPng.data(), truncatedPng.size()));
    EXPECT_FALSE(picture.loadFromMemory(garbage, 0));
    EXPECT_FALSE(picture.loadFromFile("Z:\\no\\such\\picture.bmp"));
    EXPECT_FALSE(picture.isLoaded());
    EXPECT_EQ(picture.widthPixels(), 0);
    HDC screen = GetDC(nullptr);
    EXPECT_FALSE(picture.draw(screen, 0, 0, 1, 1));
    ReleaseDC(nullptr, screen);
    // Nothing loaded still gives a bitmap, of the smallest size.
    picture.renderToBitmap(bitmap);
    EXPECT_TRUE(bitmap.valid());
}

} // namespace
