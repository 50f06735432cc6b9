#include "ui/message_table.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {
TEST(NearestMessageLanguage, MapsLocaleNamesToTheNearestLanguage) {
    const struct {
        const char* locale;
        uint16_t expected;
    } cases[] = {
        {"de_DE.UTF-8", 0x0407},
        {"de_AT", 0x0407},
        {"de", 0x0407},
        {"DE_ch.utf8", 0x0407},
        {"fr_CA.UTF-8", 0x040C},
        {"ja_JP.UTF-8", 0x0411},
        {"ru_RU.KOI8-R", 0x0419},
        {"pt_PT.UTF-8", 0x0816},
        {"pt_BR.UTF-8", 0x0416},
        {"pt", 0x0416},
        {"zh_TW.UTF-8", 0x0404},
        {"zh_HK.Big5", 0x0404},
        {"zh_CN.GB18030", 0x0804},
        {"zh", 0x0804},
        {"zh_SG", 0x0804},
        {"sr_RS.UTF-8@latin", 0x081A},
        {"sr_RS@latin", 0x081A},
        {"sr_RS.UTF-8", 0x0C1A},
        {"sr", 0x0C1A},
        {"nn_NO.UTF-8", 0x0814},
        {"nb_NO.UTF-8", 0x0814},
        {"no", 0x0814},
        {"en_GB.UTF-8", 0x0809},
        {"en_IE", 0x0809},
        {"en_US.UTF-8", 0x0409},
        {"en_CA", 0x0409},
        {"nl_BE.UTF-8", 0x0413},
        {"es_MX.UTF-8", 0x0C0A},
        {"sv_FI", 0x041D},
        {"tr_TR.UTF-8", 0x041F},
        {"uk_UA.UTF-8", 0x0422},
        {"sl_SI", 0x0424},
        {"sk_SK", 0x041B},
        {"ko_KR.EUC-KR", 0x0412},
        {"el_GR", 0x0408},
        {"hu_HU", 0x040E},
        {"C", 0x0409},
        {"POSIX", 0x0409},
        {"C.UTF-8", 0x0409},
        {"", 0x0409},
        {"cs_CZ.UTF-8", 0x0409},
        {"@latin", 0x0409},
        {"_BR", 0x0409},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nearestMessageLanguage(c.locale).languageId, c.expected) << c.locale;
}

TEST(MessageLocaleName, TakesTheFirstNonEmptyOfLcAllLcMessagesAndLang) {
    const struct {
        std::map<std::string, std::string> environment;
        const char* expected;
    } cases[] = {
        {{{"LC_ALL", "de_DE"}, {"LC_MESSAGES", "fr_FR"}, {"LANG", "ja_JP"}}, "de_DE"},
        {{{"LC_ALL", ""}, {"LC_MESSAGES", "fr_FR"}, {"LANG", "ja_JP"}}, "fr_FR"},
        {{{"LANG", "ja_JP"}}, "ja_JP"},
        {{{"LC_CTYPE", "ru_RU"}}, ""},
        {{}, ""},
    };
    for (const auto& c : cases) {
        auto lookup = [&](const char* name) -> const char* {
            auto found = c.environment.find(name);
            return found == c.environment.end() ? nullptr : found->second.c_str();
        };
        EXPECT_EQ(messageLocaleName(lookup), c.expected);
    }
}
} // namespace
