#include "splash/picture_header.h"

#include <algorithm>
#include <cstring>

namespace {

// Bounds-checked reads of fixed-size numbers.
class Bytes {
  public:
    Bytes(const unsigned char* data, size_t size) : data_(data), size_(size) {}
    bool has(size_t offset, size_t count) const {
        return offset <= size_ && count <= size_ - offset;
    }
    bool startsWith(size_t offset, const char* text, size_t count) const {
        return has(offset, count) && std::memcmp(data_ + offset, text, count) == 0;
    }
    uint32_t byte(size_t at) const { return data_[at]; }
    uint32_t be16(size_t at) const { return byte(at) << 8 | byte(at + 1); }
    uint32_t be32(size_t at) const { return be16(at) << 16 | be16(at + 2); }
    uint32_t le16(size_t at) const { return byte(at) | byte(at + 1) << 8; }
    uint32_t le32(size_t at) const { return le16(at) | le16(at + 2) << 16; }
    int64_t le16Signed(size_t at) const { return static_cast<int16_t>(le16(at)); }
    int64_t le32Signed(size_t at) const { return static_cast<int32_t>(le32(at)); }
    Bytes from(size_t offset) const { return Bytes(data_ + offset, size_ - offset); }

  private:
    const unsigned char* data_;
    size_t size_;
};

bool pixels(int64_t width, int64_t height, PictureHeaderSize& out) {
    out = PictureHeaderSize{false, width, height};
    return true;
}

void growTo(PictureHeaderSize& size, int64_t width, int64_t height) {
    size.width = std::max(size.width, width);
    size.height = std::max(size.height, height);
}

bool readPng(const Bytes& bytes, PictureHeaderSize& out) {
    // The header chunk comes first: its length, its name, then width and height.
    if (!bytes.startsWith(12, "IHDR", 4) || !bytes.has(16, 8))
        return false;
    return pixels(bytes.be32(16), bytes.be32(20), out);
}

bool isJpegFrameMarker(uint32_t marker) {
    // SOF0 to SOF15, less DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool readJpeg(const Bytes& bytes, PictureHeaderSize& out) {
    size_t at = 2;
    while (bytes.has(at, 2) && bytes.byte(at) == 0xFF) {
        const uint32_t marker = bytes.byte(at + 1);
        at += marker == 0xFF ? 1 : 2; // a fill byte before the marker
        if (marker == 0xFF || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue; // markers without a length
        if (marker == 0xD9 || marker == 0xDA || !bytes.has(at, 2))
            return false; // the end or the image data before any frame header
        const size_t length = bytes.be16(at);
        if (isJpegFrameMarker(marker))
            return length >= 7 && bytes.has(at, 7) &&
                   pixels(bytes.be16(at + 5), bytes.be16(at + 3), out);
        if (length < 2)
            return false;
        at += length;
    }
    return false;
}

// After the screen's colour table: extensions, each a run of sub-blocks, up to the first image.
bool readGif(const Bytes& bytes, PictureHeaderSize& out) {
    if (!bytes.has(0, 13))
        return false;
    pixels(bytes.le16(6), bytes.le16(8), out);
    const uint32_t flags = bytes.byte(10);
    size_t at = 13 + ((flags & 0x80) != 0 ? size_t{3} << ((flags & 7) + 1) : 0);
    while (bytes.has(at, 2) && bytes.byte(at) == 0x21) {
        at += 2;
        while (bytes.has(at, 1) && bytes.byte(at) != 0)
            at += 1 + bytes.byte(at);
        ++at;
    }
    // Decoders make room for an image that reaches beyond the screen.
    if (bytes.has(at, 9) && bytes.byte(at) == 0x2C)
        growTo(out, int64_t{bytes.le16(at + 1)} + bytes.le16(at + 5),
               int64_t{bytes.le16(at + 3)} + bytes.le16(at + 7));
    return true;
}

// A device-independent bitmap's own header: the core one of 16-bit sizes, or a later one of
// 32-bit sizes whose height is negative for rows top down. An icon's image is twice as high
// as it shows (colour and mask).
bool readBitmapInfo(const Bytes& bytes, size_t at, int64_t heightDivisor, PictureHeaderSize& out) {
    if (!bytes.has(at, 4))
        return false;
    const uint32_t headerSize = bytes.le32(at);
    if (headerSize == 12 && bytes.has(at, 8))
        return pixels(bytes.le16(at + 4), bytes.le16(at + 6) / heightDivisor, out);
    if (headerSize < 16 || !bytes.has(at, 12))
        return false;
    const int64_t height = bytes.le32Signed(at + 8);
    return pixels(bytes.le32Signed(at + 4), (height < 0 ? -height : height) / heightDivisor, out);
}

bool readBmp(const Bytes& bytes, PictureHeaderSize& out) {
    return readBitmapInfo(bytes, 14, 1, out);
}

// Every image of the directory counts: which one a decoder takes is its own choice.
bool readIcon(const Bytes& bytes, PictureHeaderSize& out) {
    if (!bytes.has(0, 6) || bytes.le16(0) != 0 || (bytes.le16(2) != 1 && bytes.le16(2) != 2))
        return false;
    const size_t count = bytes.le16(4);
    if (count == 0 || !bytes.has(6, count * 16))
        return false;
    out = PictureHeaderSize{};
    for (size_t i = 0; i < count; ++i) {
        const size_t entry = 6 + i * 16;
        // 0 stands for 256.
        growTo(out, bytes.byte(entry) == 0 ? 256 : bytes.byte(entry),
               bytes.byte(entry + 1) == 0 ? 256 : bytes.byte(entry + 1));
        const size_t offset = bytes.le32(entry + 12);
        PictureHeaderSize image;
        const bool sized = bytes.startsWith(offset, "\x89PNG\r\n\x1A\n", 8)
                               ? readPng(bytes.from(offset), image)
                               : readBitmapInfo(bytes, offset, 2, image);
        if (sized)
            growTo(out, image.width < 0 ? -image.width : image.width, image.height);
    }
    return true;
}

int64_t himetricFromUnits(int64_t units, int64_t unitsPerInch) {
    const int64_t magnitude = units < 0 ? -units : units;
    return (magnitude * 2540 + unitsPerInch / 2) / unitsPerInch;
}

// The placeable header: a bounding box in units of which the header says how many make an inch.
bool readPlaceableMetafile(const Bytes& bytes, PictureHeaderSize& out) {
    if (!bytes.has(0, 16) || bytes.le16(14) == 0)
        return false;
    const int64_t unitsPerInch = bytes.le16(14);
    out.himetric = true;
    out.width = himetricFromUnits(bytes.le16Signed(10) - bytes.le16Signed(6), unitsPerInch);
    out.height = himetricFromUnits(bytes.le16Signed(12) - bytes.le16Signed(8), unitsPerInch);
    return true;
}

// The header record's frame, in HIMETRIC already.
bool readEnhancedMetafile(const Bytes& bytes, PictureHeaderSize& out) {
    out.himetric = true;
    out.width = bytes.le32Signed(32) - bytes.le32Signed(24);
    out.height = bytes.le32Signed(36) - bytes.le32Signed(28);
    return true;
}

} // namespace

bool readPictureHeaderSize(const unsigned char* data, size_t size, PictureHeaderSize& out) {
    out = PictureHeaderSize{};
    const Bytes bytes(data, size);
    if (bytes.startsWith(0, "\x89PNG\r\n\x1A\n", 8))
        return readPng(bytes, out);
    if (bytes.startsWith(0, "\xFF\xD8", 2))
        return readJpeg(bytes, out);
    if (bytes.startsWith(0, "GIF87a", 6) || bytes.startsWith(0, "GIF89a", 6))
        return readGif(bytes, out);
    if (bytes.startsWith(0, "BM", 2))
        return readBmp(bytes, out);
    if (bytes.startsWith(0, "\xD7\xCD\xC6\x9A", 4))
        return readPlaceableMetafile(bytes, out);
    if (bytes.has(0, 44) && bytes.le32(0) == 1 && bytes.startsWith(40, " EMF", 4))
        return readEnhancedMetafile(bytes, out);
    return readIcon(bytes, out);
}

int64_t himetricToPixels(int64_t himetric, int32_t pixelsPerInch) {
    // Out-of-range resolutions are clamped so that the product cannot overflow.
    const int64_t product = himetric * std::clamp<int64_t>(pixelsPerInch, 0, 1 << 20);
    return product >= 0 ? (product + 1270) / 2540 : -((-product + 1270) / 2540);
}

PictureHeaderSize headerPixelSize(const PictureHeaderSize& size, int32_t pixelsPerInchX,
                                  int32_t pixelsPerInchY) {
    if (!size.himetric)
        return size;
    return {false, himetricToPixels(size.width, pixelsPerInchX),
            himetricToPixels(size.height, pixelsPerInchY)};
}
