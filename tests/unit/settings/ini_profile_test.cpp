#include "settings/ini_profile.h"

#include <gtest/gtest.h>

namespace {

// The read rules are proved against the Windows profile functions by the agreement test over
// tests/data/ini (e2e.test_ini_agreement_windows); these cases cover what it cannot.

TEST(IniProfile, DecodesUtf16WithItsMark) {
    const std::string le("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\xFC\0\x3D\xD8\x00\xDE", 22);
    const std::string be("\xFE\xFF\0[\0S\0]\0\r\0\n\0k\0=\0\xFC\xD8\x3D\xDE\x00", 22);
    for (const std::string& content : {le, be}) {
        IniProfile profile(content);
        EXPECT_EQ(profile.value("S", "k"), "\xC3\xBC\xF0\x9F\x98\x80");
        EXPECT_TRUE(profile.setValue("S", "k", "x"));
        EXPECT_EQ(IniProfile(profile.content()).value("S", "k"), "x");
        EXPECT_EQ(profile.content().substr(0, 2), content.substr(0, 2));
    }
}

TEST(IniProfile, NamesAndValuesEndAtNul) {
    IniProfile profile(std::string("[S]\r\nk=a\0b\r\nn\0x=1\r\n", 19));
    EXPECT_EQ(profile.value("S", "k"), "a");
    EXPECT_EQ(profile.value("S", "n"), "1");
    EXPECT_EQ(profile.value("S", std::string("k\0z", 3)), "a");
}

TEST(IniProfile, WritesInPlaceAndKeepsEveryOtherLine) {
    struct Case {
        const char* content;
        const char* section;
        const char* key;
        const char* value;
        const char* expected;
    } cases[] = {
        // Existing key: its line is rewritten, keeping the name as written.
        {"; note\r\n[S]\r\n  Key  =  old  \r\n\r\nother=x\r\n", "s", "KEY", " new ",
         "; note\r\n[S]\r\nKey=new\r\n\r\nother=x\r\n"},
        // An unchanged value leaves the line alone.
        {"[S]\r\n  k = v\r\n", "S", "k", "v", "[S]\r\n  k = v\r\n"},
        // A key without a value gets one.
        {"[S]\nbare\n", "S", "bare", "1", "[S]\nbare=1\n"},
        // New key: after the last line of its section, before blank lines.
        {"[S]\r\na=1\r\n\r\n[T]\r\nb=2\r\n", "S", "c", "3",
         "[S]\r\na=1\r\nc=3\r\n\r\n[T]\r\nb=2\r\n"},
        {"[S]\r\n[T]\r\n", "S", "c", "3", "[S]\r\nc=3\r\n[T]\r\n"},
        // Only the first section of a repeated name is changed.
        {"[S]\na=1\n[S]\nb=2\n", "S", "b", "3", "[S]\na=1\nb=3\n[S]\nb=2\n"},
        // New section at the end, with the file's line break.
        {"[S]\na=1", " New ", " k ", "v", "[S]\na=1\n[New]\nk=v\n"},
        {"", "S", "k", "v", "[S]\nk=v\n"},
        // The nameless section holds the lines before the first header.
        {"top=1\r\n[S]\r\n", "", "g", "2", "top=1\r\ng=2\r\n[S]\r\n"},
        {"[S]\r\n", "", "g", "2", "g=2\r\n[S]\r\n"},
    };
    for (const auto& c : cases) {
        IniProfile profile(c.content);
        EXPECT_TRUE(profile.setValue(c.section, c.key, c.value)) << c.content;
        EXPECT_EQ(profile.content(), c.expected) << c.content;
    }
}

TEST(IniProfile, RefusesLineBreaksThatTheFileCouldNotKeep) {
    IniProfile profile("[S]\r\nk=v\r\n");
    EXPECT_FALSE(profile.setValue("S", "k", "a\r\n[T]\r\nx=1"));
    EXPECT_FALSE(profile.setValue("S\nT", "k", "v"));
    EXPECT_FALSE(profile.setValue("S", "k\rx", "v"));
    EXPECT_EQ(profile.content(), "[S]\r\nk=v\r\n");
}

TEST(IniProfile, KeepsTheByteOrderMarkWhenWriting) {
    IniProfile profile("\xEF\xBB\xBF[S]\r\nk=v\r\n");
    EXPECT_TRUE(profile.setValue("S", "k", "\xC3\xBC"));
    EXPECT_EQ(profile.content(), "\xEF\xBB\xBF[S]\r\nk=\xC3\xBC\r\n");
}

} // namespace
