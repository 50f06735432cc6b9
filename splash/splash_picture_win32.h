#pragma once

// The splash picture, decoded once while the splash window is made. PNG goes through the
// Windows Imaging Component and keeps its per-pixel alpha; every other format goes through the
// system picture loader (bitmap, JPEG, GIF, icon, Windows and enhanced metafile), sized from
// its HIMETRIC extent at the screen's pixels per inch; one that has transparent parts keeps
// them as alpha too. Splash thread only (COM initialised).

#include "support/unique_resource.h"

#include <windows.h>

#include <cstdint>
#include <string>

#include <ocidl.h>

struct BitmapTraits {
    static HBITMAP invalid() { return nullptr; }
    static void release(HBITMAP bitmap) { DeleteObject(bitmap); }
};
using UniqueBitmap = UniqueResource<BitmapTraits>;

struct DcTraits {
    static HDC invalid() { return nullptr; }
    static void release(HDC dc) { DeleteDC(dc); }
};
using UniqueDc = UniqueResource<DcTraits>; // a memory device context

template <typename Interface> struct ComTraits {
    static Interface* invalid() { return nullptr; }
    static void release(Interface* object) { object->Release(); }
};
template <typename Interface> using ComPtr = UniqueResource<ComTraits<Interface>>;

class SplashPicture {
  public:
    virtual ~SplashPicture() = default;
    // Reads the whole file and decodes it; false when it cannot be read, is empty or is no
    // picture.
    virtual bool loadFromFile(const std::string& path);
    virtual bool loadFromMemory(const unsigned char* bytes, size_t count);
    virtual bool isLoaded() const;
    virtual int32_t widthPixels() const { return widthPixels_; }
    virtual int32_t heightPixels() const { return heightPixels_; }
    // Renders the whole picture scaled into (x, y, cx, cy) of dc; false when nothing is loaded
    // or rendering fails.
    virtual bool draw(HDC dc, int x, int y, int cx, int cy);

    // True for a picture with per-pixel alpha or transparent parts, whose bitmap is 32-bit
    // premultiplied BGRA.
    bool hasAlpha() const { return alphaPixels_.valid(); }
    void clear();
    // Replaces the bitmap in slot by a new one of the picture's pixel size holding the picture:
    // screen-compatible, or a 32-bit top-down DIB for a picture with alpha.
    void renderToBitmap(UniqueBitmap& slot);

  private:
    bool loadPng(const unsigned char* bytes, size_t count);
    bool loadOlePicture(const unsigned char* bytes, size_t count);
    void keepTransparentParts();
    // Draws the whole picture of the system loader into (0, 0, cx, cy) of dc.
    bool renderPicture(HDC dc, int cx, int cy);
    UniqueBitmap renderOverBackdrop(DWORD rop, void** bits);
    void renderAlphaToBitmap(UniqueBitmap& slot);

    ComPtr<IPicture> picture_;
    UniqueBitmap alphaPixels_;
    int32_t widthHimetric_ = 0;
    int32_t heightHimetric_ = 0;
    int32_t widthPixels_ = 0;
    int32_t heightPixels_ = 0;
};

// A 32-bit top-down DIB section of width by height; bits receives its pixel memory.
HBITMAP createAlphaBitmap(int32_t width, int32_t height, void** bits);
