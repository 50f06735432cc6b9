#include "splash/picture_alpha.h"

#include <algorithm>

bool alphaFromTwoBackdrops(const uint8_t* overBlack, const uint8_t* overWhite, uint8_t* out,
                           size_t pixelCount) {
    bool transparent = false;
    for (size_t i = 0; i < pixelCount * 4; i += 4) {
        // Over black a pixel of alpha a shows colour * a; over white it shows 255 - a more.
        int shown = 0;
        for (size_t c = 0; c < 3; ++c)
            shown = std::max(shown, overWhite[i + c] - overBlack[i + c]);
        auto alpha = static_cast<uint8_t>(255 - std::min(shown, 255));
        for (size_t c = 0; c < 3; ++c)
            out[i + c] = std::min(overBlack[i + c], alpha); // premultiplied never exceeds alpha
        out[i + 3] = alpha;
        transparent = transparent || alpha != 255;
    }
    return transparent;
}
