#include "vmhost/java_strings.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf8ToUtf16, DecodesEveryPlaneAndReplacesMalformedBytes) {
    struct Case {
        const char* text;
        std::u16string units;
    } cases[] = {
        {"", u""},
        {"plain", u"plain"},
        {"Gr\xC3\xBC\xC3\x9F"
         "e",
         u"Grüße"},
        {"\xE6\x97\xA5\xE6\x9C\xAC", u"日本"},
        {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"}, // outside the BMP: a surrogate pair
        {"a\xFF"
         "b",
         u"a\xFFFD"
         "b"},                                             // a byte that starts nothing
        {"\xC0\xAF", u"\xFFFD\xFFFD"},                     // overlong form
        {"\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD"},           // an encoded surrogate
        {"\xE6\x97", u"\xFFFD\xFFFD"},                     // cut short
        {"\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"}, // above U+10FFFF
    };
    for (const Case& c : cases)
        EXPECT_EQ(utf8ToUtf16(c.text), c.units) << c.text;
}

} // namespace
