#include "ui/message_table.h"
#include "ui/messages.h"
#include "ui/string_bundle.h"

#include "support/wide_text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {
// The entry as the executable stores it for one language (only tests name a language).
std::string storedText(uint16_t languageId, int id) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found =
        FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(stringBundleId(id)), languageId);
    if (found == nullptr)
        return "<no bundle>";
    const auto* units = static_cast<const uint16_t*>(LockResource(LoadResource(module, found)));
    auto entry = findBundleEntry(units, SizeofResource(module, found) / 2, id);
    if (!entry)
        return "<no entry>";
    return toUtf8(reinterpret_cast<const wchar_t*>(units + entry->offset), entry->length);
}

TEST(StringResources, EveryLanguageCarriesItsTextsUnchanged) {
    for (const auto& language : messageLanguages())
        for (int id = MessageId::first; id <= MessageId::last; ++id)
            EXPECT_EQ(storedText(language.languageId, id), language.text(id))
                << language.name << " " << id;
}

BOOL CALLBACK collectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
    reinterpret_cast<std::vector<uint16_t>*>(found)->push_back(language);
    return TRUE;
}

TEST(StringResources, EveryBundleExistsInTheLanguagesOnlyWithoutANeutralCopy) {
    std::vector<uint16_t> expected;
    for (const auto& language : messageLanguages())
        expected.push_back(language.languageId);
    for (int bundle : {13, 14, 15}) {
        std::vector<uint16_t> found;
        EnumResourceLanguagesW(GetModuleHandleW(nullptr), RT_STRING, MAKEINTRESOURCEW(bundle),
                               collectLanguage, reinterpret_cast<LONG_PTR>(&found));
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, expected) << bundle;
    }
}

// The thread's locale chooses the table: one of the languages, or a variant that one of
// them serves (Serbian for Serbia, Norwegian Bokmal, Chinese for Hong Kong, German for Austria).
TEST(LoadResourceString, FollowsTheThreadLocale) {
    const struct {
        uint16_t locale;
        uint16_t language;
    } cases[] = {{0x0407, 0x0407}, {0x0411, 0x0411}, {0x0419, 0x0419}, {0x040C, 0x040C},
                 {0x0804, 0x0804}, {0x0404, 0x0404}, {0x0409, 0x0409}, {0x0809, 0x0809},
                 {0x0816, 0x0816}, {0x0416, 0x0416}, {0x0412, 0x0412}, {0x0413, 0x0413},
                 {0x0C0A, 0x0C0A}, {0x0814, 0x0814}, {0x241A, 0x081A}, {0x281A, 0x0C1A},
                 {0x0414, 0x0814}, {0x0C04, 0x0404}, {0x1004, 0x0804}, {0x0C07, 0x0407}};
    LCID saved = GetThreadLocale();
    for (const auto& c : cases) {
        const MessageLanguage* language = findMessageLanguage(c.language);
        ASSERT_NE(language, nullptr);
        ASSERT_TRUE(SetThreadLocale(MAKELCID(c.locale, SORT_DEFAULT))) << c.locale;
        for (int id = MessageId::first; id <= MessageId::last; ++id)
            EXPECT_EQ(loadResourceString(id), language->text(id)) << c.locale << " " << id;
        EXPECT_EQ(loadResourceString(231), "") << language->name;
        EXPECT_EQ(loadResourceString(0), "") << language->name;
    }
    SetThreadLocale(saved);
}
} // namespace
