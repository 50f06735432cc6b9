#include "splash/splash_image.h"

#include <algorithm>
#include <cstring>

namespace {

uint32_t alphaOf(uint32_t pixel) {
    return pixel >> 24;
}

uint32_t channel(uint32_t pixel, int shift) {
    return (pixel >> shift) & 0xFF;
}

// value * alpha / 255, rounded.
uint32_t scaled(uint32_t value, uint32_t alpha) {
    return (value * alpha + 127) / 255;
}

// Each 8-bit value placed in the bits of mask, scaled to the mask's width: one look-up per
// channel and pixel.
class ChannelBits {
  public:
    explicit ChannelBits(uint32_t mask) {
        int shift = 0;
        while (mask != 0 && ((mask >> shift) & 1) == 0)
            ++shift;
        const uint32_t maximum = mask >> shift;
        for (uint32_t value = 0; value < 256; ++value)
            bits_[value] = ((value * maximum + 127) / 255) << shift;
    }
    uint32_t operator()(uint32_t value) const { return bits_[value]; }

  private:
    uint32_t bits_[256];
};

size_t indexOf(int32_t x, int32_t y, int32_t width) {
    return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
}

// One pass of a box blur of the given radius along rows (step 1) or columns (step width).
void boxBlur(std::vector<uint32_t>& plane, int32_t width, int32_t height, int32_t radius,
             bool alongRows) {
    const int32_t lines = alongRows ? height : width;
    const int32_t length = alongRows ? width : height;
    const uint32_t span = static_cast<uint32_t>(2 * radius + 1);
    std::vector<uint32_t> line(static_cast<size_t>(length));
    for (int32_t l = 0; l < lines; ++l) {
        auto at = [&](int32_t i) -> uint32_t& {
            return alongRows ? plane[indexOf(i, l, width)] : plane[indexOf(l, i, width)];
        };
        for (int32_t i = 0; i < length; ++i)
            line[static_cast<size_t>(i)] = at(i);
        uint32_t sum = 0;
        for (int32_t i = 0; i < radius && i < length; ++i)
            sum += line[static_cast<size_t>(i)];
        for (int32_t i = 0; i < length; ++i) {
            if (i + radius < length)
                sum += line[static_cast<size_t>(i + radius)];
            if (i - radius - 1 >= 0)
                sum -= line[static_cast<size_t>(i - radius - 1)];
            at(i) = (sum + span / 2) / span;
        }
    }
}

// src over a black pixel of straight alpha shadowAlpha, in straight alpha.
uint32_t overShadow(uint32_t src, uint32_t shadowAlpha) {
    const uint32_t a = alphaOf(src);
    const uint32_t below = scaled(shadowAlpha, 255 - a);
    const uint32_t total = a + below;
    if (total == 0)
        return 0;
    auto colour = [&](int shift) { return (channel(src, shift) * a + total / 2) / total; };
    return total << 24 | colour(16) << 16 | colour(8) << 8 | colour(0);
}

} // namespace

bool isLittleEndianMachine() {
    const uint32_t probe = 1;
    unsigned char first;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

bool isShowableSplashSize(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= maximumSplashSide && height <= maximumSplashSide &&
           static_cast<uint64_t>(width) * static_cast<uint64_t>(height) <= maximumSplashPixels;
}

std::vector<uint32_t> visualPixels(const SplashImage& image, const PixelLayout& layout) {
    const ChannelBits red(layout.redMask), green(layout.greenMask), blue(layout.blueMask),
        alpha(layout.alphaMask);
    // The usual layouts keep an opaque pixel's bits as they are.
    const bool sameLayout = layout.redMask == 0xFF0000 && layout.greenMask == 0xFF00 &&
                            layout.blueMask == 0xFF &&
                            (layout.alphaMask == 0 || layout.alphaMask == 0xFF000000);
    const uint32_t kept = layout.alphaMask | 0xFFFFFF;
    std::vector<uint32_t> out(image.pixels.size());
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        const uint32_t pixel = image.pixels[i];
        const uint32_t a = alphaOf(pixel);
        if (sameLayout && a == 255) {
            out[i] = pixel & kept;
            continue;
        }
        uint32_t r = channel(pixel, 16), g = channel(pixel, 8), b = channel(pixel, 0);
        if (a != 255) {
            r = scaled(r, a);
            g = scaled(g, a);
            b = scaled(b, a);
        }
        out[i] = red(r) | green(g) | blue(b) | alpha(a);
    }
    return out;
}

bool hasTransparentPixels(const SplashImage& image) {
    return std::any_of(image.pixels.begin(), image.pixels.end(),
                       [](uint32_t pixel) { return alphaOf(pixel) < 128; });
}

std::vector<SplashRun> opaqueRuns(const SplashImage& image) {
    std::vector<SplashRun> runs;
    for (int32_t y = 0; y < image.height; ++y) {
        int32_t x = 0;
        while (x < image.width) {
            while (x < image.width && alphaOf(image.pixels[indexOf(x, y, image.width)]) < 128)
                ++x;
            const int32_t start = x;
            while (x < image.width && alphaOf(image.pixels[indexOf(x, y, image.width)]) >= 128)
                ++x;
            if (x > start)
                runs.push_back({start, y, x - start});
        }
    }
    return runs;
}

SplashImage withDropShadow(const SplashImage& picture) {
    // Cast 3 right and down, blurred twice by 4: the softened edge stays inside the margin.
    constexpr int32_t offset = 3, radius = 4;
    constexpr uint32_t opacity = 115; // of 255
    const int32_t margin = splashShadowMargin;
    SplashImage result;
    result.width = picture.width + 2 * margin;
    result.height = picture.height + 2 * margin;
    std::vector<uint32_t> shadow(indexOf(0, result.height, result.width), 0);
    for (int32_t y = 0; y < picture.height; ++y)
        for (int32_t x = 0; x < picture.width; ++x)
            shadow[indexOf(x + margin + offset, y + margin + offset, result.width)] =
                alphaOf(picture.pixels[indexOf(x, y, picture.width)]);
    for (int pass = 0; pass < 2; ++pass) {
        boxBlur(shadow, result.width, result.height, radius, true);
        boxBlur(shadow, result.width, result.height, radius, false);
    }
    result.pixels.resize(shadow.size());
    for (int32_t y = 0; y < result.height; ++y) {
        for (int32_t x = 0; x < result.width; ++x) {
            const int32_t px = x - margin, py = y - margin;
            const bool inside = px >= 0 && py >= 0 && px < picture.width && py < picture.height;
            const uint32_t src = inside ? picture.pixels[indexOf(px, py, picture.width)] : 0;
            const size_t at = indexOf(x, y, result.width);
            result.pixels[at] = overShadow(src, scaled(shadow[at], opacity));
        }
    }
    return result;
}
