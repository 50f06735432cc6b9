#include "ui/message_ids.h"
#include "ui/message_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {
// The printf-style placeholders of a text, in order; any other '%' use is reported as "%?".
std::vector<std::string> placeholders(const std::string& text) {
    std::vector<std::string> found;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        char kind = i + 1 < text.size() ? text[i + 1] : '\0';
        found.push_back(kind == 's' || kind == 'd' ? std::string("%") + kind : "%?");
        ++i;
    }
    return found;
}

bool endsWithLineFeed(const std::string& text) {
    return !text.empty() && text.back() == '\n';
}

// Entries that end without the English closing line feed in a few languages.
std::set<int> entriesWithoutClosingLineFeed(uint16_t languageId) {
    if (languageId == 0x0412) // Korean
        return {203, 204, 205, 211, 215, 216, 222};
    if (languageId == 0x0413) // Dutch
        return {211, 215, 222};
    return {};
}

const MessageLanguage& english() {
    return *findMessageLanguage(englishUnitedStates);
}

TEST(MessageTable, HoldsExactlyTheLanguagesOfTheResourceSet) {
    const std::set<uint16_t> expected = {0x0404, 0x0406, 0x0407, 0x0408, 0x0409, 0x040B, 0x040C,
                                         0x040E, 0x0410, 0x0411, 0x0412, 0x0413, 0x0415, 0x0416,
                                         0x0419, 0x041B, 0x041D, 0x041F, 0x0422, 0x0424, 0x0804,
                                         0x0809, 0x0814, 0x0816, 0x081A, 0x0C0A, 0x0C1A};
    std::set<uint16_t> actual;
    for (const auto& language : messageLanguages())
        actual.insert(language.languageId);
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(messageLanguages().size(), expected.size());
}

TEST(MessageTable, EnglishTextsAreTheReferenceTexts) {
    EXPECT_EQ(english().text(202), "Windows exception: %s (errno = %d).\n");
    EXPECT_EQ(english().text(203), "JNI exception: %s\nReason: %s.\n");
    EXPECT_EQ(english().text(206), "The Java Runtime Environment (JRE) was not found. Please  "
                                   "download and install a JRE with a server JVM (%s) from:");
    EXPECT_EQ(english().text(207), "The Java Runtime Environment (JRE) was not found. Please  "
                                   "download and install a JRE (%s) from:");
    EXPECT_EQ(english().text(210), "Main class was not specified in INI file.");
    EXPECT_EQ(english().text(221), "version between %s and %s");
    EXPECT_EQ(english().text(230), "invalid arguments");
    EXPECT_EQ(english().text(201), "");
    EXPECT_EQ(english().text(231), "");
}

TEST(MessageTable, EveryLanguageKeepsPlaceholdersAndClosingLineFeeds) {
    for (const auto& language : messageLanguages()) {
        std::set<int> withoutLineFeed = entriesWithoutClosingLineFeed(language.languageId);
        for (int id = MessageId::first; id <= MessageId::last; ++id) {
            SCOPED_TRACE(std::string(language.name) + ", entry " + std::to_string(id));
            std::string reference = english().text(id);
            std::string text = language.text(id);
            ASSERT_FALSE(text.empty());
            EXPECT_EQ(placeholders(text), placeholders(reference));
            bool lineFeedExpected = endsWithLineFeed(reference) && !withoutLineFeed.count(id);
            EXPECT_EQ(endsWithLineFeed(text), lineFeedExpected);
            // Only the last character may be a line feed, except where English has one inside.
            std::string body = endsWithLineFeed(text) ? text.substr(0, text.size() - 1) : text;
            std::string referenceBody = reference.substr(0, reference.find_last_not_of('\n') + 1);
            EXPECT_EQ(body.find('\n') != std::string::npos,
                      referenceBody.find('\n') != std::string::npos);
        }
    }
}

TEST(MessageTable, BritishEnglishDiffersOnlyInTheSpellingOfInitialise) {
    const MessageLanguage* british = findMessageLanguage(0x0809);
    ASSERT_NE(british, nullptr);
    for (int id = MessageId::first; id <= MessageId::last; ++id) {
        if (id == 223 || id == 224)
            continue;
        EXPECT_EQ(british->text(id), english().text(id)) << id;
    }
    EXPECT_EQ(british->text(223), "failed to initialise");
    EXPECT_EQ(british->text(224), "failed to initialise module");
}

TEST(MessageTable, EveryLanguageHasEveryDialogText) {
    for (const auto& language : messageLanguages()) {
        ASSERT_EQ(language.dialogTexts.size(), english().dialogTexts.size()) << language.name;
        for (const auto& entry : english().dialogTexts)
            EXPECT_FALSE(language.dialogText(entry.dialogId, entry.key).empty())
                << language.name << ": " << entry.dialogId << "." << entry.key;
    }
    EXPECT_EQ(english().dialogText(201, "caption"), "JRE Not Found");
    EXPECT_EQ(english().dialogText(231, "caption"), "Java Exception");
    EXPECT_EQ(english().dialogText(231, "missing"), "");
}
} // namespace
