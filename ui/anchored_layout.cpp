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

} // namespace

DialogBaseUnits dialogBaseUnits(int32_t alphabetWidth, int32_t lineHeight) {
    // The average letter width, rounded up as the Windows dialog manager does it.
    return {(alphabetWidth / 26 + 1) / 2, lineHeight};
}

PixelRect dialogUnitsToPixels(const PixelRect& units, DialogBaseUnits base) {
    return {scaled(units.left, base.x, 4), scaled(units.top, base.y, 8),
            scaled(units.right, base.x, 4), scaled(units.bottom, base.y, 8)};
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
