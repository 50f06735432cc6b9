#include "ui/resource_language.h"

#include <algorithm>

namespace {

constexpr uint16_t primaryLanguage(uint16_t languageId) {
    return languageId & 0x3FF;
}

constexpr uint16_t serbianPrimary = 0x1A;

struct Alias {
    uint16_t from;
    uint16_t to;
};

// Variants whose primary language has two resource sets, by script and region; neutral ids
// (0x7C04 Traditional Chinese, 0x701A Serbian Latin, ...) included.
constexpr Alias aliases[] = {
    {0x0C04, 0x0404}, // Chinese (Hong Kong SAR): Traditional
    {0x1404, 0x0404}, // Chinese (Macao SAR): Traditional
    {0x7C04, 0x0404}, // Chinese (Traditional)
    {0x0004, 0x0804}, // Chinese (Simplified)
    {0x1004, 0x0804}, // Chinese (Singapore): Simplified
    {0x7804, 0x0804}, // Chinese
    {0x181A, 0x081A}, // Serbian (Latin, Bosnia and Herzegovina)
    {0x241A, 0x081A}, // Serbian (Latin, Serbia)
    {0x2C1A, 0x081A}, // Serbian (Latin, Montenegro)
    {0x701A, 0x081A}, // Serbian (Latin)
    {0x7C1A, 0x081A}, // Serbian, written in Latin by default
    {0x1C1A, 0x0C1A}, // Serbian (Cyrillic, Bosnia and Herzegovina)
    {0x281A, 0x0C1A}, // Serbian (Cyrillic, Serbia)
    {0x301A, 0x0C1A}, // Serbian (Cyrillic, Montenegro)
    {0x6C1A, 0x0C1A}, // Serbian (Cyrillic)
};

// Where a primary language has two resource sets, the first here serves its other variants.
constexpr uint16_t preferred[] = {0x0409, 0x0416, 0x0804};

// Built before main starts a thread, so that a first use needs no guard.
const std::vector<uint16_t> languages = {0x0404, 0x0406, 0x0407, 0x0408, 0x0409, 0x040B, 0x040C,
                                         0x040E, 0x0410, 0x0411, 0x0412, 0x0413, 0x0415, 0x0416,
                                         0x0419, 0x041B, 0x041D, 0x041F, 0x0422, 0x0424, 0x0804,
                                         0x0809, 0x0814, 0x0816, 0x081A, 0x0C0A, 0x0C1A};

} // namespace

const std::vector<uint16_t>& resourceLanguages() {
    return languages;
}

uint16_t resourceLanguageFor(uint16_t languageId) {
    const std::vector<uint16_t>& languages = resourceLanguages();
    if (std::binary_search(languages.begin(), languages.end(), languageId))
        return languageId;
    for (const Alias& alias : aliases)
        if (alias.from == languageId)
            return alias.to;
    uint16_t primary = primaryLanguage(languageId);
    if (primary == 0 || primary == serbianPrimary)
        return 0;
    for (uint16_t language : preferred)
        if (primaryLanguage(language) == primary)
            return language;
    for (uint16_t language : languages)
        if (primaryLanguage(language) == primary)
            return language;
    return 0;
}
