#include "ui/window_placement.h"

namespace {
// The start of a span of length size centred on [low, high), kept inside [areaLow, areaHigh).
int32_t centeredStart(int32_t low, int32_t high, int32_t size, int32_t areaLow, int32_t areaHigh) {
    // 64-bit sums: coordinates near the 32-bit limits must not overflow.
    int64_t start = (static_cast<int64_t>(low) + high) / 2 - size / 2;
    if (start + size > areaHigh)
        start = static_cast<int64_t>(areaHigh) - size;
    if (start < areaLow)
        start = areaLow;
    return static_cast<int32_t>(start);
}
} // namespace

const AnchorRow javaExceptionAnchors[] = {
    {209, Anchor::SizeX | Anchor::SizeY}, // frame
    {210, Anchor::SizeX},                 // heading
    {212, Anchor::SizeX | Anchor::MoveY}, // warning
    {211, Anchor::SizeX | Anchor::MoveY}, // instructions
    {208, Anchor::SizeX | Anchor::SizeY}, // trace box
    {1, Anchor::MoveX | Anchor::MoveY},   // Ignore
    {2, Anchor::MoveX | Anchor::MoveY},   // Stop
    {-1, 0},
};

PixelPoint centeredPosition(int32_t width, int32_t height, const PixelRect* owner,
                            const PixelRect& workArea) {
    const PixelRect& around = owner ? *owner : workArea;
    return {centeredStart(around.left, around.right, width, workArea.left, workArea.right),
            centeredStart(around.top, around.bottom, height, workArea.top, workArea.bottom)};
}

PixelRect anchoredRect(uint32_t flags, const PixelRect& initial, const PixelRect& current,
                       int32_t dx, int32_t dy) {
    PixelRect result = current;
    if (flags & (Anchor::SizeX | Anchor::MoveX))
        result.right = initial.right + dx;
    if (flags & Anchor::MoveX)
        result.left = initial.left + dx;
    if (flags & (Anchor::SizeY | Anchor::MoveY))
        result.bottom = initial.bottom + dy;
    if (flags & Anchor::MoveY)
        result.top = initial.top + dy;
    return result;
}
