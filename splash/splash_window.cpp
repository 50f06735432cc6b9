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

bool isPngData(const unsigned char* data, size_t size) {
    static const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return size >= sizeof(signature) && std::memcmp(data, signature, sizeof(signature)) == 0;
}
