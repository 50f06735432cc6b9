#pragma once

// A dialog laid out the Windows way on a window system that has no dialog templates: control
// rectangles given in dialog units are turned into pixels, and each control then follows the
// client area's size through its anchor flags (ui/window_placement.h).

#include "ui/window_placement.h"

#include <cstdint>
#include <vector>

// Pixels per dialog unit come from the dialog font: the average width of the 52 Latin letters
// and the line height.
struct DialogBaseUnits {
    int32_t x = 0;
    int32_t y = 0;
};

// alphabetWidth: the width of "A".."Z" followed by "a".."z" in the dialog font.
DialogBaseUnits dialogBaseUnits(int32_t alphabetWidth, int32_t lineHeight);

// A rectangle in dialog units in pixels (horizontal units are quarters of x, vertical ones
// eighths of y, rounded to the nearest pixel).
PixelRect dialogUnitsToPixels(const PixelRect& units, DialogBaseUnits base);

struct PlacedControl {
    int32_t id;
    PixelRect rect;
};

// The controls of a template (ending with id -1) in pixels.
std::vector<PlacedControl> controlsInPixels(const PlacedControl* units, DialogBaseUnits base);

// What a control's contents need, in pixels: the narrowest and the lowest box they fit (0:
// any).
struct ControlNeed {
    int32_t width = 0;
    int32_t height = 0;
};

// Grows each control whose box is smaller than its contents need (needs runs parallel to
// controls), and the client area with it, keeping apart what was apart: a control that grows
// down by d moves everything that starts at or below its old bottom edge down by d; one that
// grows right by d moves what starts at or right of its old right edge, in its own row, right
// by d. What encloses a growing control grows with it, and so does the client area.
void growToFit(PixelRect& client, std::vector<PlacedControl>& controls,
               const std::vector<ControlNeed>& needs);

// The controls of one resizable dialog and where they go as the client area changes.
class AnchoredLayout {
  public:
    AnchoredLayout(int32_t initialWidth, int32_t initialHeight)
        : initialWidth_(initialWidth), initialHeight_(initialHeight) {}

    // A control in its initial place; its flags come from the anchor table (a control missing
    // from the table stays where it is).
    void add(int32_t id, const PixelRect& initial, const AnchorRow* anchors);

    // Every control's rectangle for a client area of width x height, in the order added. Sizes
    // below the initial one count as the initial one: the dialog never gets smaller.
    const std::vector<PlacedControl>& arrange(int32_t width, int32_t height);

    const std::vector<PlacedControl>& controls() const { return current_; }
    int32_t initialWidth() const { return initialWidth_; }
    int32_t initialHeight() const { return initialHeight_; }

  private:
    struct Entry {
        uint32_t flags;
        PixelRect initial;
    };
    int32_t initialWidth_;
    int32_t initialHeight_;
    std::vector<Entry> entries_;
    std::vector<PlacedControl> current_;
};
