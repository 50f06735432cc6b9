#pragma once

// The layout of a Windows string-table resource: identifier n lies in bundle n / 16 + 1 at
// position n % 16; a bundle holds 16 entries, each a 16-bit length followed by that many
// UTF-16 units (length 0 for an absent entry).

#include <cstddef>
#include <cstdint>
#include <optional>

struct BundleEntry {
    size_t offset; // first UTF-16 unit of the text, counted from the bundle's start
    size_t length; // in UTF-16 units
};

constexpr int stringBundleId(int id) {
    return id / 16 + 1;
}

// The entry at position id % 16 of a bundle of `count` units; nullopt when the bundle ends
// before the entry or inside its text (a damaged resource).
std::optional<BundleEntry> findBundleEntry(const uint16_t* units, size_t count, int id);
