#include "discovery/missing_runtime.h"
#include "support/java_version.h"
#include "ui/message_table.h"
#include "ui/messages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {
// Sets the locale variables for one test and restores them afterwards.
class LocaleEnvironment {
  public:
    LocaleEnvironment(const char* lcAll, const char* lcMessages, const char* lang) {
        set("LC_ALL", lcAll);
        set("LC_MESSAGES", lcMessages);
        set("LANG", lang);
    }
    ~LocaleEnvironment() {
        for (auto& [name, value] : saved_)
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }

  private:
    void set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(LoadResourceString, GivesEveryEntryInTheLanguageOfTheLocale) {
    for (const char* lang : {"C", "de_DE.UTF-8", "ja_JP.UTF-8", "sr_RS@latin", "en_GB.UTF-8"}) {
        LocaleEnvironment environment(nullptr, nullptr, lang);
        const MessageLanguage& language = nearestMessageLanguage(lang);
        for (int id = MessageId::first; id <= MessageId::last; ++id)
            EXPECT_EQ(loadResourceString(id), language.text(id)) << lang << " " << id;
        EXPECT_EQ(loadResourceString(231), "") << lang;
        EXPECT_EQ(loadResourceString(201), "") << lang;
        EXPECT_EQ(loadResourceString(-1), "") << lang;
    }
}

TEST(LoadResourceString, LcAllAndLcMessagesComeBeforeLang) {
    {
        LocaleEnvironment environment("ru_RU.UTF-8", "fr_FR.UTF-8", "de_DE.UTF-8");
        EXPECT_EQ(loadResourceString(225), "неизвестна");
    }
    {
        LocaleEnvironment environment("", "fr_FR.UTF-8", "de_DE.UTF-8");
        EXPECT_EQ(loadResourceString(225), "inconnue");
    }
    {
        LocaleEnvironment environment(nullptr, nullptr, "de_DE.UTF-8");
        EXPECT_EQ(loadResourceString(225), "unbekannt");
    }
    {
        LocaleEnvironment environment(nullptr, nullptr, nullptr);
        EXPECT_EQ(loadResourceString(225), "unknown");
    }
}

std::string capturedReport(void (*report)()) {
    testing::internal::CaptureStderr();
    report();
    return testing::internal::GetCapturedStderr();
}

TEST(ReportError, WritesTheFormattedTextToStandardError) {
    LocaleEnvironment environment(nullptr, nullptr, "en_US.UTF-8");
    EXPECT_EQ(capturedReport([] {
                  reportErrorWithCode(nullptr, loadResourceString(MessageId::windowsException),
                                      loadResourceString(MessageId::createJavaVmMissing), 127);
              }),
              "Windows exception: cannot find CreateJavaVM JNI (errno = 127).\n");
    EXPECT_EQ(capturedReport([] {
                  reportErrorWithReason(nullptr,
                                        loadResourceString(MessageId::jniExceptionWithReason),
                                        loadResourceString(MessageId::createVmFailed),
                                        loadResourceString(MessageId::reasonNoMemory));
              }),
              "JNI exception: failed to create the Java VM\nReason: not enough memory.\n");
    EXPECT_EQ(capturedReport([] {
                  reportErrorWithSubject(nullptr, loadResourceString(MessageId::mainClassNotFound),
                                         "app.Main");
              }),
              "Could not find the main class app.Main.\n");
    // A text without a closing line feed still ends its line; a missing template gives an
    // empty notice.
    EXPECT_EQ(capturedReport(
                  [] { reportError(nullptr, loadResourceString(MessageId::mainClassMissing)); }),
              "Main class was not specified in INI file.\n");
    EXPECT_EQ(capturedReport([] { reportError(nullptr, loadResourceString(231)); }), "\n");
}

TEST(FormatResourceString, FillsTheLocalizedTemplate) {
    LocaleEnvironment environment(nullptr, nullptr, "de_DE.UTF-8");
    EXPECT_EQ(formatResourceString(MessageId::versionBetween, {"1.6", "1.8"}),
              "Version zwischen 1.6 und 1.8");
    EXPECT_EQ(formatResourceString(MessageId::windowsException, {"x", -5}),
              "Windows-Ausnahme: x (errno = -5).\n");
}

TEST(DescribeVersionRange, NamesTheAcceptedVersionsInEnglish) {
    const struct {
        const char* minimum;
        const char* maximum;
        const char* expected;
    } cases[] = {
        {"any", "any", "latest version"},
        {"any", "1.8", "maximum version 1.8"},
        {"1.7", "any", "minimum version 1.7"},
        {"1.8.0.202", "1.8.0.202", "version 1.8.0.202 is required"},
        {"1.6", "1.8", "version between 1.6 and 1.8"},
    };
    for (const char* lang : {"C", "en_US.UTF-8"}) {
        LocaleEnvironment environment(nullptr, nullptr, lang);
        for (const auto& c : cases) {
            EXPECT_EQ(describeVersionRange(minimumVersionSetting(c.minimum),
                                           maximumVersionSetting(c.maximum)),
                      c.expected)
                << lang << " " << c.minimum;
        }
    }
}
} // namespace
