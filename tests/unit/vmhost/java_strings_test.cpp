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

TEST(Utf16ToUtf8, EncodesEveryPlaneAndReplacesUnpairedSurrogates) {
    using namespace std::string_literals;
    struct Case {
        std::u16string units;
        std::string text;
    } cases[] = {
        {u"", ""},
        {u"Grüße Ελλάδα 日本", "Gr\xC3\xBC\xC3\x9F"
                               "e \xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1 "
                               "\xE6\x97\xA5\xE6\x9C\xAC"},
        {u"\xD834\xDD1E", "\xF0\x9D\x84\x9E"}, // a surrogate pair: four bytes, not two triples
        {u"\0x"s, "\0x"s},                     // a NUL stays a single byte
        {u"a\xD834", "a\xEF\xBF\xBD"},         // a high surrogate at the end
        {u"\xDD1E"
         u"b",
         "\xEF\xBF\xBD"
         "b"}, // a low surrogate alone
        {u"\xD834\xD834\xDD1E", "\xEF\xBF\xBD\xF0\x9D\x84\x9E"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(utf16ToUtf8(c.units.data(), c.units.size()), c.text);
}

TEST(Utf16ToUtf8, RoundTripsEveryScalarValueThroughUtf8ToUtf16) {
    std::u16string all;
    for (char32_t code = 1; code < 0x110000; ++code) {
        if (code >= 0xD800 && code <= 0xDFFF)
            continue;
        if (code < 0x10000) {
            all.push_back(static_cast<char16_t>(code));
        } else {
            all.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            all.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        }
    }
    EXPECT_EQ(utf8ToUtf16(utf16ToUtf8(all.data(), all.size())), all);
}

} // namespace
