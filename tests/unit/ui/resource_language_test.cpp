#include "ui/message_table.h"
#include "ui/resource_language.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The list the lookup knows is exactly the languages the resources are generated in.
TEST(ResourceLanguage, EveryResourceLanguageServesItself) {
    std::vector<uint16_t> generated;
    for (const auto& language : messageLanguages()) {
        generated.push_back(language.languageId);
        EXPECT_EQ(resourceLanguageFor(language.languageId), language.languageId) << language.name;
    }
    EXPECT_EQ(resourceLanguages(), generated);
}

TEST(ResourceLanguage, VariantsAndNeutralIdsReachTheirLanguage) {
    const struct {
        uint16_t user;
        uint16_t expected; // 0: left to the resource loader
        const char* name;
    } cases[] = {
        {0x241A, 0x081A, "Serbian (Latin, Serbia)"},
        {0x701A, 0x081A, "Serbian (Latin), neutral"},
        {0x7C1A, 0x081A, "Serbian, neutral"},
        {0x281A, 0x0C1A, "Serbian (Cyrillic, Serbia)"},
        {0x6C1A, 0x0C1A, "Serbian (Cyrillic), neutral"},
        {0x041A, 0, "Croatian shares Serbian's primary language"},
        {0x001A, 0, "Croatian, neutral"},
        {0x141A, 0, "Bosnian (Latin)"},
        {0x0414, 0x0814, "Norwegian (Bokmal)"},
        {0x0014, 0x0814, "Norwegian, neutral"},
        {0x7814, 0x0814, "Norwegian (Nynorsk), neutral"},
        {0x0C04, 0x0404, "Chinese (Hong Kong SAR)"},
        {0x7C04, 0x0404, "Chinese (Traditional), neutral"},
        {0x1004, 0x0804, "Chinese (Singapore)"},
        {0x0004, 0x0804, "Chinese (Simplified), neutral"},
        {0x7804, 0x0804, "Chinese, neutral"},
        {0x0016, 0x0416, "Portuguese, neutral"},
        {0x0C09, 0x0409, "English (Australia)"},
        {0x040A, 0x0C0A, "Spanish (traditional sort)"},
        {0x0C07, 0x0407, "German (Austria)"},
        {0x0401, 0, "Arabic: no resources"},
        {0x0000, 0, "neutral"},
        {0x0C00, 0, "custom locale"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resourceLanguageFor(c.user), c.expected) << c.name;
}

} // namespace
