#pragma once

// Arithmetic of dialog placement and of the resizable dialog's layout, shared by the Win32
// dialogs and the Linux window process. Pixels in screen (placement) or dialog client
// (layout) coordinates; no window system is touched here.

#include <cstdint>

struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
};

struct PixelPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// Top-left corner of a width x height window centred on the owner's rectangle (null: on the
// work area), then pushed inside the work area; the left and top edges win when the window
// is larger than the work area.
PixelPoint centeredPosition(int32_t width, int32_t height, const PixelRect* owner,
                            const PixelRect& workArea);

// How a control follows the dialog's client area when it grows by dx, dy.
namespace Anchor {
constexpr uint32_t SizeX = 0x01;   // right edge follows
constexpr uint32_t SizeY = 0x02;   // bottom edge follows
constexpr uint32_t MoveX = 0x04;   // left and right edges follow
constexpr uint32_t MoveY = 0x08;   // top and bottom edges follow
constexpr uint32_t Repaint = 0x10; // invalidated each time it is positioned
} // namespace Anchor

struct AnchorRow {
    int32_t controlId;
    uint32_t flags;
};

// The anchor table of the "Java Exception" dialog (template 231), ending with {-1, 0}.
extern const AnchorRow javaExceptionAnchors[];

// Where a control goes when the client area has grown by dx, dy: edges named by the flags
// follow from the rectangle recorded when the layout was prepared; the others stay where the
// control is now.
PixelRect anchoredRect(uint32_t flags, const PixelRect& initial, const PixelRect& current,
                       int32_t dx, int32_t dy);
