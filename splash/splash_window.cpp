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
