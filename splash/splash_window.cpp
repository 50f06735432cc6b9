#include "splash/splash_window.h"

#include <algorithm>
#include <cstring>

bool wantsSplashShadow(const std::string& setting) {
    return setting == "true";
}

namespace {
int32_t half(int64_t span) {
    int64_t value = span / 2; // truncates toward zero
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}
} // namespace

SplashPosition centredSplashPosition(int32_t screenWidth, int32_t screenHeight, int32_t width,
                                     int32_t height) {
    return {half(int64_t{screenWidth} - width), half(int64_t{screenHeight} - height)};
}

SplashArea splashWorkArea(const std::vector<int64_t>& desktopAreas, int64_t desktop,
                          const SplashArea& monitor) {
    if (desktop < 0 || static_cast<uint64_t>(desktop) >= desktopAreas.size() / 4)
        return monitor;
    const int64_t* area = &desktopAreas[static_cast<size_t>(desktop) * 4];
    const int64_t left = std::max<int64_t>(area[0], monitor.x);
    const int64_t top = std::max<int64_t>(area[1], monitor.y);
    const int64_t right = std::min<int64_t>(area[0] + area[2], int64_t{monitor.x} + monitor.width);
    const int64_t bottom =
        std::min<int64_t>(area[1] + area[3], int64_t{monitor.y} + monitor.height);
    if (right <= left || bottom <= top)
        return monitor;
    return {static_cast<int32_t>(left), static_cast<int32_t>(top),
            static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
}

bool fitsSplashArea(int64_t width, int64_t height, const SplashArea& area) {
    return width <= area.width && height <= area.height;
}

const char* splashPictureFormat(const unsigned char* data, size_t size) {
    struct Signature {
        const char* format;
        const char* bytes;
        size_t length;
    };
    static const Signature signatures[] = {
        {"png", "\x89PNG\r\n\x1A\n", 8},
        {"jpeg", "\xFF\xD8\xFF", 3},
        {"gif", "GIF87a", 6},
        {"gif", "GIF89a", 6},
        {"bmp", "BM", 2},
        {"ico", "\0\0\x01\0", 4},
    };
    for (const Signature& signature : signatures)
        if (size >= signature.length && std::memcmp(data, signature.bytes, signature.length) == 0)
            return signature.format;
    return nullptr;
}

bool isPngData(const unsigned char* data, size_t size) {
    const char* format = splashPictureFormat(data, size);
    return format != nullptr && std::strcmp(format, "png") == 0;
}
