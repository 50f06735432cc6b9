#include "ui/string_bundle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// A bundle with the given texts at positions 0.., the rest of the 16 entries empty.
std::vector<uint16_t> bundle(const std::vector<std::u16string>& texts) {
    std::vector<uint16_t> units;
    for (size_t i = 0; i < 16; ++i) {
        std::u16string text = i < texts.size() ? texts[i] : u"";
        units.push_back(static_cast<uint16_t>(text.size()));
        units.insert(units.end(), text.begin(), text.end());
    }
    return units;
}

std::u16string textAt(const std::vector<uint16_t>& units, int id) {
    auto entry = findBundleEntry(units.data(), units.size(), id);
    if (!entry)
        return u"<none>";
    return std::u16string(units.begin() + entry->offset,
                          units.begin() + entry->offset + entry->length);
}

TEST(StringBundle, FindsEntriesByPositionWithinTheBundle) {
    EXPECT_EQ(stringBundleId(202), 13);
    EXPECT_EQ(stringBundleId(230), 15);
    auto units = bundle({u"zero", u"", u"two \u00e4", u"three"});
    EXPECT_EQ(textAt(units, 0), u"zero");
    EXPECT_EQ(textAt(units, 1), u"");
    EXPECT_EQ(textAt(units, 2), u"two \u00e4");
    EXPECT_EQ(textAt(units, 16 * 12 + 3), u"three"); // the position is the id modulo 16
    EXPECT_EQ(textAt(units, 15), u"");
}

TEST(StringBundle, DamagedBundlesGiveNoEntry) {
    auto units = bundle({u"zero", u"one"});
    // Cut inside the text of entry 1, and just before its length.
    std::vector<uint16_t> cutInText(units.begin(), units.begin() + 7);
    std::vector<uint16_t> cutBeforeLength(units.begin(), units.begin() + 5);
    EXPECT_EQ(textAt(cutInText, 0), u"zero");
    EXPECT_EQ(textAt(cutInText, 1), u"<none>");
    EXPECT_EQ(textAt(cutBeforeLength, 1), u"<none>");
    std::vector<uint16_t> hugeLength = {0xFFFF, 'a'};
    EXPECT_EQ(textAt(hugeLength, 0), u"<none>");
    EXPECT_EQ(textAt({}, 0), u"<none>");
    EXPECT_FALSE(findBundleEntry(nullptr, 10, 0));
    EXPECT_FALSE(findBundleEntry(units.data(), units.size(), -1));
}
} // namespace
