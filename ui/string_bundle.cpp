#include "ui/string_bundle.h"

std::optional<BundleEntry> findBundleEntry(const uint16_t* units, size_t count, int id) {
    if (units == nullptr || id < 0)
        return std::nullopt;
    size_t position = 0;
    for (int index = 0;; ++index) {
        if (position >= count)
            return std::nullopt;
        size_t length = units[position];
        if (length > count - position - 1)
            return std::nullopt;
        if (index == id % 16)
            return BundleEntry{position + 1, length};
        position += 1 + length;
    }
}
