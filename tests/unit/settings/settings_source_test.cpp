#include "settings/settings_source.h"

#include "unit/settings/temp_folder.h"

#include <gtest/gtest.h>

namespace {

// The document in one line: name{key=value,...}|...
std::string dump(const IniText& text) {
    std::string out;
    for (const auto& section : text.sections()) {
        out += (out.empty() ? "" : "|") + section.name + "{";
        for (size_t i = 0; i < section.pairs.size(); ++i)
            out += (i ? "," : "") + section.pairs[i].key + "=" + section.pairs[i].value;
        out += "}";
    }
    return out;
}

TEST(IniText, ParsesByItsOwnRules) {
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"[S]\r\nk=v\r\n", "S{k=v}"},
        {"\xEF\xBB\xBF[S]\r\nk=v", "S{k=v}"},
        {"k=v\r\n[S]\r\nx=1", "S{x=1}"},
        {"[S]\r\nno equals sign\r\n\r\nk=v", "S{k=v}"},
        {"[S]\r\n  key  =  value  \r\n", "S{key=value}"},
        {"[S]\r\n=v\r\nk=", "S{=v,k=}"},
        {"[S]\r\nk=a=b", "S{k=a=b}"},
        {"  [S]  \r\nk=v", "S{k=v}"},
        {"[ S ]\r\nk=v", " S {k=v}"},
        {"[A]x]\r\nk=v", "A]x{k=v}"},
        {"[S]x=1\r\n[S]\r\nk=v", "S{k=v}"},
        {"[S]\r\n[S]x=1", "S{[S]x=1}"},
        {"[S]\r\nk=\"quoted\"", "S{k=\"quoted\"}"},
        {"[S]\nk=v\n", ""},
        {"[S]\r\na=1\r\n[S]\r\na=2", "S{a=1}|S{a=2}"},
        {"[]\r\nk=v", "{k=v}"},
        // Blanks of the wide white-space set go (ideographic, no-break, em space); U+0085 stays.
        {"[S]\r\n\xE3\x80\x80k\xC2\xA0=\xE2\x80\x83v\xE3\x80\x80", "S{k=v}"},
        {"[S]\r\nk=\xC2\x85v", "S{k=\xC2\x85v}"},
        // A stray continuation byte is no part of the blank before or after it.
        {"[S]\r\nk=\t\xBBv\xBB ", "S{k=\xBBv\xBB}"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dump(IniText(c.text)), c.expected) << c.text;
}

TEST(IniText, LooksUpExactNamesAndFindsTheFirstOfRepeatedOnes) {
    IniText text("[S]\r\nk=1\r\nk=2\r\n[S]\r\nlater=3\r\n[s]\r\nlower=4\r\n");
    std::string value = "kept";
    text.getValue("S", "k", value);
    EXPECT_EQ(value, "1");
    for (auto [section, key] : {std::pair{"S", "later"}, {"S", "K"}, {"S ", "k"}, {"T", "k"}}) {
        value = "kept";
        text.getValue(section, key, value);
        EXPECT_EQ(value, "kept") << section << "/" << key;
    }
    text.getValue("s", "lower", value);
    EXPECT_EQ(value, "4");

    std::vector<std::string> names{"stale"};
    text.getSectionNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"S", "S", "s"}));
}

TEST(IniText, SetValueAppendsAndTheOlderPairKeepsWinning) {
    IniText text("[S]\r\nk=old\r\n");
    EXPECT_TRUE(text.setValue("S", "k", "new"));
    EXPECT_TRUE(text.setValue("New", "x", "1"));
    EXPECT_EQ(dump(text), "S{k=old,k=new}|New{x=1}");
    std::string value;
    text.getValue("S", "k", value);
    EXPECT_EQ(value, "old");

    uint32_t header = 7;
    EXPECT_EQ(text.readHeader(header), 1u);
    EXPECT_EQ(header, 0u);
    EXPECT_TRUE(text.deleteFile());
    EXPECT_EQ(dump(text), "S{k=old,k=new}|New{x=1}");
}

class SettingsFileTest : public ::testing::Test {
  protected:
    std::string write(const std::string& content, const std::string& name = "s.ini") {
        std::string path = folder.file(name);
        TempFolder::write(path, content);
        return path;
    }
    TempFolder folder;
};

TEST_F(SettingsFileTest, ReadsValuesOfEveryLengthWhole) {
    // Lengths around the first buffer of 256 characters and its doubled sizes.
    for (size_t length : {0, 1, 253, 254, 255, 256, 257, 510, 511, 512, 5000}) {
        std::string plain(length, 'x');
        SettingsFile file(write("[S]\r\nplain=" + plain + "\r\nquoted=\"" + plain + "\"\r\n"));
        EXPECT_EQ(file.fileValue("S", "plain"), plain) << length;
        EXPECT_EQ(file.fileValue("S", "quoted"), plain) << length;
    }
}

TEST_F(SettingsFileTest, ListsAllSectionNamesHoweverLong) {
    // Name lists that end just below, at and beyond the first buffer of 256 characters.
    for (size_t length : {60, 61, 62, 63, 64, 200, 1000}) {
        std::string content;
        std::vector<std::string> expected;
        for (char c = 'a'; c <= 'd'; ++c) {
            expected.push_back(std::string(length, c));
            content += "[" + expected.back() + "]\r\nk=v\r\n";
        }
        SettingsFile file(write(content));
        std::vector<std::string> names{"stale"};
        file.getSectionNames(names);
        EXPECT_EQ(names, expected) << length;
    }
}

TEST_F(SettingsFileTest, MissingFileGivesEmptyResults) {
    SettingsFile file(folder.file("missing.ini"));
    std::string value = "stale";
    file.getValue("S", "k", value);
    EXPECT_EQ(value, "");
    std::vector<std::string> names{"stale"};
    file.getSectionNames(names);
    EXPECT_TRUE(names.empty());
    uint32_t header = 0;
    EXPECT_NE(file.readHeader(header), 0u);
    EXPECT_FALSE(file.deleteFile());
}

TEST_F(SettingsFileTest, ReadHeaderReadsUpToFourBytes) {
    uint32_t header = 0xAAAAAAAA;
    EXPECT_EQ(SettingsFile(write("ABCDEFG")).readHeader(header), 0u);
    EXPECT_EQ(header, 0x44434241u);
    header = 0xAAAAAAAA;
    EXPECT_EQ(SettingsFile(write("AB")).readHeader(header), 0u);
    EXPECT_EQ(header, 0xAAAA4241u);
}

TEST_F(SettingsFileTest, SetValueCreatesAndUpdatesKeysButNoFolders) {
    SettingsFile file(folder.file("new.ini"));
    EXPECT_TRUE(file.setValue("Java Runtime Environment", "JRE Path", "C:\\Java\\"));
    EXPECT_TRUE(file.setValue("java runtime environment", "jre path", "D:\\jre"));
    EXPECT_TRUE(file.setValue("Other", "k", "  padded  "));
    EXPECT_EQ(file.fileValue("Java Runtime Environment", "JRE Path"), "D:\\jre");
    EXPECT_EQ(file.fileValue("Other", "K"), "padded");
    std::vector<std::string> names;
    file.getSectionNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"Java Runtime Environment", "Other"}));
    EXPECT_TRUE(file.deleteFile());
    EXPECT_FALSE(TempFolder::exists(file.path()));

    EXPECT_FALSE(SettingsFile(folder.file("no/such/folder.ini")).setValue("S", "k", "v"));
    EXPECT_FALSE(TempFolder::exists(folder.file("no")));
}

struct LayeredCase {
    const char* builtIn;
    const char* file; // nullptr: no file
    const char* expected;
};

TEST_F(SettingsFileTest, LayeredLookupCombinesBuiltInTextAndFile) {
    const char* builtIn = "[J]\r\nK=b\r\n";
    LayeredCase cases[] = {
        {builtIn, nullptr, "b"},
        {builtIn, "[J]\r\nOther=x\r\n", "b"},
        {builtIn, "[J]\r\nK=f\r\n", "f"},
        {builtIn, "[j]\r\nk=f\r\n", "f"},
        {builtIn, "[J]\r\nK=f\r\n[J+]\r\nK=p\r\n", "f"},
        // An empty file value does not replace; the "+" section is appended after a blank.
        {builtIn, "[J]\r\nK=\r\n[J+]\r\nK=p\r\n", "b p"},
        {builtIn, "[J+]\r\nK=p q\r\n", "b p q"},
        {"", "[J+]\r\nK=-Xmx512m\r\n", " -Xmx512m"},
        {builtIn, "[j+]\r\nk=p\r\n", "b p"},
        // A value that keeps a leading blank through its quotes gets no further one.
        {builtIn, "[J+]\r\nK=\" p\"\r\n", "b p"},
        {"", "[J+]\r\nK=\" p\"\r\n", " p"},
        {builtIn, "[J+]\r\nK=\r\n", "b"},
        // Built-in names compare exactly.
        {"[j]\r\nk=b\r\n", nullptr, ""},
        {"[J]\r\nK=b\r\n[J]\r\nK=second\r\n", nullptr, "b"},
        {"", "[J]\r\nK=\"\"\r\n", ""},
    };
    for (const auto& c : cases) {
        std::string path = folder.file("layered.ini");
        if (c.file)
            TempFolder::write(path, c.file);
        LayeredSettings settings(path, c.builtIn);
        EXPECT_EQ(settings.value("J", "K"), c.expected) << (c.file ? c.file : "(no file)");
        if (c.file)
            SettingsFile(path).deleteFile();
    }
}

TEST_F(SettingsFileTest, LayeredSettingsActsThroughEitherSide) {
    std::string path = write("[J]\r\nK=\r\n[J+]\r\nK=p\r\n");
    LayeredSettings settings(path, "[J]\r\nK=b\r\n");
    SettingsFile& file = settings;
    IniText& text = settings;
    std::string value;
    file.getValue("J", "K", value);
    EXPECT_EQ(value, "b p");
    text.getValue("J", "K", value);
    EXPECT_EQ(value, "b p");
    EXPECT_EQ(settings.fileValue("J+", "K"), "p");

    // Other operations belong to the side they are reached through.
    EXPECT_TRUE(text.setValue("Doc", "x", "1"));
    EXPECT_EQ(settings.fileValue("Doc", "x"), "");
    EXPECT_EQ(text.sections().back().name, "Doc");
    EXPECT_TRUE(file.setValue("J", "K", "f"));
    EXPECT_EQ(settings.value("J", "K"), "f");
    uint32_t header = 9;
    EXPECT_EQ(text.readHeader(header), 1u);
    EXPECT_EQ(file.readHeader(header), 0u);
}

} // namespace
