#include "splash/splash_picture_win32.h"

#include "splash/picture_alpha.h"
#include "splash/picture_header.h"
#include "splash/splash_image.h"
#include "splash/splash_window.h"
#include "support/wide_text.h"

#include <ocidl.h>
#include <olectl.h>
#include <wincodec.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

struct FileTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void release(HANDLE handle) { CloseHandle(handle); }
};

struct GlobalTraits {
    static HGLOBAL invalid() { return nullptr; }
    static void release(HGLOBAL block) { GlobalFree(block); }
};

constexpr int himetricPerInch = 2540;

bool readWholeFile(const std::string& path, std::vector<unsigned char>& bytes) {
    UniqueResource<FileTraits> file(CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                                nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.get(), &size) ||
        static_cast<uint64_t>(size.QuadPart) > maximumSplashPictureSize)
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (bytes.empty() ||
        !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
        read == 0)
        return false;
    bytes.resize(read);
    return true;
}

// The selection of one object into a memory DC, undone when it goes out of scope.
class Selection {
  public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, old_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

class ScreenDc {
  public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() { ReleaseDC(nullptr, dc_); }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HDC dc_;
};

// A stream over a copy of the bytes in a movable global block that the stream frees.
ComPtr<IStream> memoryStream(const unsigned char* bytes, size_t count) {
    UniqueResource<GlobalTraits> block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, count));
    void* memory = block ? GlobalLock(block.get()) : nullptr;
    if (memory == nullptr)
        return {};
    std::memcpy(memory, bytes, count);
    GlobalUnlock(block.get());
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block.get(), TRUE, &stream)))
        return {};
    block.release(); // the stream owns it now
    return ComPtr<IStream>(stream);
}

// The first frame of a WIC-decodable picture as 32-bit premultiplied BGRA.
ComPtr<IWICBitmapSource> decodeFirstFrame(const unsigned char* bytes, size_t count) {
    IWICImagingFactory* rawFactory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&rawFactory))))
        return {};
    ComPtr<IWICImagingFactory> factory(rawFactory);
    IWICStream* rawStream = nullptr;
    if (FAILED(factory.get()->CreateStream(&rawStream)))
        return {};
    ComPtr<IWICStream> stream(rawStream);
    if (FAILED(stream.get()->InitializeFromMemory(const_cast<BYTE*>(bytes),
                                                  static_cast<DWORD>(count))))
        return {};
    IWICBitmapDecoder* rawDecoder = nullptr;
    if (FAILED(factory.get()->CreateDecoderFromStream(stream.get(), nullptr,
                                                      WICDecodeMetadataCacheOnLoad, &rawDecoder)))
        return {};
    ComPtr<IWICBitmapDecoder> decoder(rawDecoder);
    IWICBitmapFrameDecode* rawFrame = nullptr;
    if (FAILED(decoder.get()->GetFrame(0, &rawFrame)))
        return {};
    ComPtr<IWICBitmapFrameDecode> frame(rawFrame);
    IWICBitmapSource* converted = nullptr;
    if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, frame.get(), &converted)))
        return {};
    return ComPtr<IWICBitmapSource>(converted);
}

// A 32-bit buffer of width by height pixels has a size that a UINT can give.
bool fitsOneBuffer(uint64_t width, uint64_t height) {
    return width > 0 && height > 0 && width <= INT32_MAX / 4 && height <= UINT_MAX / (width * 4);
}

// The size the header claims decides before any decoder allocates for it: a small file can
// claim gigabytes of pixels.
bool claimsShowableSize(const unsigned char* bytes, size_t count) {
    PictureHeaderSize claimed;
    if (!readPictureHeaderSize(bytes, count, claimed))
        return false;
    ScreenDc screen;
    claimed = headerPixelSize(claimed, GetDeviceCaps(screen.get(), LOGPIXELSX),
                              GetDeviceCaps(screen.get(), LOGPIXELSY));
    return isShowableSplashSize(claimed.width, claimed.height);
}

} // namespace

HBITMAP createAlphaBitmap(int32_t width, int32_t height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

bool SplashPicture::loadFromFile(const std::string& path) {
    clear();
    std::vector<unsigned char> bytes;
    return readWholeFile(path, bytes) && loadFromMemory(bytes.data(), bytes.size());
}

bool SplashPicture::loadFromMemory(const unsigned char* bytes, size_t count) {
    clear();
    if (count == 0 || count > static_cast<size_t>(LONG_MAX) || !claimsShowableSize(bytes, count))
        return false;
    // The system picture loader knows no PNG; the imaging component keeps its alpha.
    return isPngData(bytes, count) ? loadPng(bytes, count) : loadOlePicture(bytes, count);
}

bool SplashPicture::loadPng(const unsigned char* bytes, size_t count) {
    ComPtr<IWICBitmapSource> source = decodeFirstFrame(bytes, count);
    UINT width = 0;
    UINT height = 0;
    if (!source || FAILED(source.get()->GetSize(&width, &height)) || !fitsOneBuffer(width, height))
        return false;
    void* bits = nullptr;
    UniqueBitmap pixels(
        createAlphaBitmap(static_cast<int32_t>(width), static_cast<int32_t>(height), &bits));
    if (!pixels || FAILED(source.get()->CopyPixels(nullptr, width * 4, width * 4 * height,
                                                   static_cast<BYTE*>(bits))))
        return false;
    alphaPixels_ = std::move(pixels);
    widthPixels_ = static_cast<int32_t>(width);
    heightPixels_ = static_cast<int32_t>(height);
    return true;
}

bool SplashPicture::loadOlePicture(const unsigned char* bytes, size_t count) {
    ComPtr<IStream> stream = memoryStream(bytes, count);
    if (!stream)
        return false;
    IPicture* picture = nullptr;
    if (FAILED(OleLoadPicture(stream.get(), static_cast<LONG>(count), FALSE, IID_IPicture,
                              reinterpret_cast<void**>(&picture))))
        return false;
    picture_.reset(picture);
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Width(&width);
    picture->get_Height(&height);
    widthHimetric_ = width;
    heightHimetric_ = height;
    ScreenDc screen;
    widthPixels_ = MulDiv(GetDeviceCaps(screen.get(), LOGPIXELSX), width, himetricPerInch);
    heightPixels_ = MulDiv(GetDeviceCaps(screen.get(), LOGPIXELSY), height, himetricPerInch);
    // What the loader made of the header must not exceed the bound either: the bitmaps to come
    // are of this size.
    if (!isShowableSplashSize(widthPixels_, heightPixels_)) {
        clear();
        return false;
    }
    DWORD attributes = 0;
    if (SUCCEEDED(picture->get_Attributes(&attributes)) && (attributes & PICTURE_TRANSPARENT) != 0)
        keepTransparentParts();
    return true;
}

// A GIF with a transparent colour, an icon's masked parts or what a metafile leaves unpainted
// would show the bitmap's undefined background; they show what lies below the window instead,
// as the parts of a PNG with alpha do.
void SplashPicture::keepTransparentParts() {
    if (widthPixels_ < 0 || heightPixels_ < 0 ||
        !fitsOneBuffer(static_cast<uint64_t>(widthPixels_), static_cast<uint64_t>(heightPixels_)))
        return;
    void* black = nullptr;
    void* white = nullptr;
    UniqueBitmap overBlack = renderOverBackdrop(BLACKNESS, &black);
    UniqueBitmap overWhite = renderOverBackdrop(WHITENESS, &white);
    if (!overBlack || !overWhite)
        return;
    size_t count = static_cast<size_t>(widthPixels_) * static_cast<size_t>(heightPixels_);
    if (!alphaFromTwoBackdrops(static_cast<uint8_t*>(black), static_cast<uint8_t*>(white),
                               static_cast<uint8_t*>(black), count))
        return; // nothing shows through: it stays a plain picture
    alphaPixels_ = std::move(overBlack);
    picture_.reset();
}

// The picture drawn at its pixel size into a 32-bit DIB first filled by rop (BLACKNESS or
// WHITENESS); null when it cannot be drawn.
UniqueBitmap SplashPicture::renderOverBackdrop(DWORD rop, void** bits) {
    UniqueBitmap bitmap(createAlphaBitmap(widthPixels_, heightPixels_, bits));
    UniqueDc memory(CreateCompatibleDC(nullptr));
    if (!bitmap || !memory)
        return {};
    Selection target(memory.get(), bitmap.get());
    PatBlt(memory.get(), 0, 0, widthPixels_, heightPixels_, rop);
    if (!renderPicture(memory.get(), widthPixels_, heightPixels_))
        return {};
    GdiFlush(); // the pixels are read directly next
    return bitmap;
}

bool SplashPicture::renderPicture(HDC dc, int cx, int cy) {
    // The picture interface takes its source bottom-up: origin at the bottom edge, negative
    // height.
    return SUCCEEDED(picture_.get()->Render(dc, 0, 0, cx, cy, 0, heightHimetric_, widthHimetric_,
                                            -heightHimetric_, nullptr));
}

bool SplashPicture::isLoaded() const {
    return picture_.valid() || alphaPixels_.valid();
}

bool SplashPicture::draw(HDC dc, int x, int y, int cx, int cy) {
    if (!isLoaded())
        return false;
    UniqueBitmap bitmap(CreateCompatibleBitmap(dc, cx, cy));
    UniqueDc memory(CreateCompatibleDC(dc));
    if (!bitmap || !memory)
        return false;
    Selection target(memory.get(), bitmap.get());
    if (picture_) {
        if (!renderPicture(memory.get(), cx, cy))
            return false;
    } else {
        UniqueDc source(CreateCompatibleDC(dc));
        Selection pixels(source.get(), alphaPixels_.get());
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        if (!AlphaBlend(memory.get(), 0, 0, cx, cy, source.get(), 0, 0, widthPixels_, heightPixels_,
                        blend))
            return false;
    }
    return BitBlt(dc, x, y, cx, cy, memory.get(), 0, 0, SRCCOPY) != FALSE;
}

void SplashPicture::clear() {
    picture_.reset();
    alphaPixels_.reset();
    widthHimetric_ = heightHimetric_ = widthPixels_ = heightPixels_ = 0;
}

void SplashPicture::renderToBitmap(UniqueBitmap& slot) {
    if (hasAlpha()) {
        renderAlphaToBitmap(slot);
        return;
    }
    ScreenDc screen;
    slot.reset(CreateCompatibleBitmap(screen.get(), widthPixels_, heightPixels_));
    UniqueDc memory(CreateCompatibleDC(screen.get()));
    if (!slot || !memory)
        return;
    Selection target(memory.get(), slot.get());
    draw(memory.get(), 0, 0, widthPixels_, heightPixels_);
}

void SplashPicture::renderAlphaToBitmap(UniqueBitmap& slot) {
    // The premultiplied pixels are copied as they are: drawing them through a DC would lose
    // the alpha channel.
    void* bits = nullptr;
    slot.reset(createAlphaBitmap(widthPixels_, heightPixels_, &bits));
    DIBSECTION source;
    if (!slot || GetObjectW(alphaPixels_.get(), sizeof(source), &source) != sizeof(source))
        return;
    std::memcpy(bits, source.dsBm.bmBits,
                static_cast<size_t>(widthPixels_) * 4 * static_cast<size_t>(heightPixels_));
}
