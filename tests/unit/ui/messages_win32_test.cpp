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

// The resource loader follows the thread's language settings: with the thread locale set to
// one of the languages, every lookup finds that language's table.
TEST(LoadResourceString, FollowsTheThreadLocaleThroughTheResourceLoader) {
    const uint16_t languages[] = {0x0407, 0x0411, 0x0419, 0x040C, 0x0804, 0x0404, 0x0409,
                                  0x0809, 0x0816, 0x0416, 0x0412, 0x0413, 0x0C0A, 0x0814};
    LCID saved = GetThreadLocale();
    for (uint16_t languageId : languages) {
        const MessageLanguage* language = findMessageLanguage(languageId);
        ASSERT_NE(language, nullptr);
        ASSERT_TRUE(SetThreadLocale(MAKELCID(languageId, SORT_DEFAULT))) << language->name;
        for (int id = MessageId::first; id <= MessageId::last; ++id)
            EXPECT_EQ(loadResourceString(id), language->text(id)) << language->name << " " << id;
        EXPECT_EQ(loadResourceString(231), "") << language->name;
        EXPECT_EQ(loadResourceString(0), "") << language->name;
    }
    SetThreadLocale(saved);
}
} // namespace
