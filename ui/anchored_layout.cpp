#include "ui/anchored_layout.h"

#include <algorithm>

namespace {

// value * numerator / denominator rounded to the nearest integer, halves away from zero.
int32_t scaled(int32_t value, int32_t numerator, int32_t denominator) {
    int64_t product = static_cast<int64_t>(value) * numerator;
    int64_t half = denominator / 2;
    return static_cast<int32_t>(product >= 0 ? (product + half) / denominator
                                             : (product - half) / denominator);
}

uint32_t anchorFlags(int32_t id, const AnchorRow* anchors) {
    for (const AnchorRow* row = anchors; row && row->controlId != -1; ++row)
        if (row->controlId == id)
            return row->flags;
    return 0;
}

bool encloses(const PixelRect& outer, const PixelRect& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

bool sameRow(const PixelRect& a, const PixelRect& b) {
    return a.top < b.bottom && b.top < a.bottom;
}

void growDown(PixelRect& client, std::vector<PlacedControl>& controls, size_t grown, int32_t by) {
    const PixelRect box = controls[grown].rect;
    for (size_t i = 0; i < controls.size(); ++i) {
        PixelRect& rect = controls[i].rect;
        if (i == grown || encloses(rect, box)) {
            rect.bottom += by;
        } else if (rect.top >= box.bottom) {
            rect.top += by;
            rect.bottom += by;
        }
    }
    client.bottom += by;
}

void growRight(PixelRect& client, std::vector<PlacedControl>& controls, size_t grown, int32_t by) {
    const PixelRect box = controls[grown].rect;
    for (size_t i = 0; i < controls.size(); ++i) {
        PixelRect& rect = controls[i].rect;
        if (i == grown || encloses(rect, box)) {
            rect.right += by;
        } else if (rect.left >= box.right && sameRow(rect, box)) {
            rect.left += by;
            rect.right += by;
        }
    }
    client.right += by;
}

} // namespace

DialogBaseUnits dialogBaseUnits(int32_t alphabetWidth, int32_t lineHeight) {
    // The average letter width, rounded up as the Windows dialog manager does it.
    return {(alphabetWidth / 26 + 1) / 2, lineHeight};
}

PixelRect dialogUnitsToPixels(const PixelRect& units, DialogBaseUnits base) {
    return {scaled(units.left, base.x, 4), scaled(units.top, base.y, 8),
            scaled(units.right, base.x, 4), scaled(units.bottom, base.y, 8)};
}

std::vector<PlacedControl> controlsInPixels(const PlacedControl* units, DialogBaseUnits base) {
    std::vector<PlacedControl> controls;
    for (const PlacedControl* control = units; control->id != -1; ++control)
        controls.push_back({control->id, dialogUnitsToPixels(control->rect, base)});
    return controls;
}

void AnchoredLayout::add(int32_t id, const PixelRect& initial, const AnchorRow* anchors) {
    entries_.push_back({anchorFlags(id, anchors), initial});
    current_.push_back({id, initial});
}

const std::vector<PlacedControl>& AnchoredLayout::arrange(int32_t width, int32_t height) {
    const int32_t dx = std::max(width, initialWidth_) - initialWidth_;
    const int32_t dy = std::max(height, initialHeight_) - initialHeight_;
    for (size_t i = 0; i < entries_.size(); ++i)
        current_[i].rect =
            anchoredRect(entries_[i].flags, entries_[i].initial, current_[i].rect, dx, dy);
    return current_;
}

void growToFit(PixelRect& client, std::vector<PlacedControl>& controls,
               const std::vector<ControlNeed>& needs) {
    for (size_t i = 0; i < controls.size() && i < needs.size(); ++i) {
        const int32_t wider = needs[i].width - controls[i].rect.width();
        if (wider > 0)
            growRight(client, controls, i, wider);
        const int32_t taller = needs[i].height - controls[i].rect.height();
        if (taller > 0)
            growDown(client, controls, i, taller);
    }
}
