#include "splash/native_splash.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(NativeSplashLibraryPath, TwoFoldersUpFromTheVmLibrary) {
    struct Case {
        const char* vmLibrary;
        PathStyle style;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\runtime\\bin\\client\\jvm.dll", PathStyle::windows,
         "C:\\runtime\\bin\\splashscreen.dll"},
        {"C:\\runtime\\bin\\server\\jvm.dll", PathStyle::windows,
         "C:\\runtime\\bin\\splashscreen.dll"},
        // Only a backslash ends a folder on Windows; a path without one stays whole.
        {"jvm.dll", PathStyle::windows, "jvm.dll\\splashscreen.dll"},
        {"C:/runtime/bin/server/jvm.dll", PathStyle::windows,
         "C:/runtime/bin/server/jvm.dll\\splashscreen.dll"},
        {"C:\\jvm.dll", PathStyle::windows, "C:\\splashscreen.dll"},
        {"\\\\jvm.dll", PathStyle::windows, ""},
        {"", PathStyle::windows, ""},
        {"/usr/lib/jvm/rt/lib/server/libjvm.so", PathStyle::posix,
         "/usr/lib/jvm/rt/lib/libsplashscreen.so"},
        {"lib/server/libjvm.so", PathStyle::posix, "lib/libsplashscreen.so"},
        // The remaining separator is kept rather than doubled.
        {"//server/libjvm.so", PathStyle::posix, "/libsplashscreen.so"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(nativeSplashLibraryPath(c.vmLibrary, c.style), c.expected) << c.vmLibrary;
}

std::vector<std::string> calls;

void init() {
    calls.push_back("init");
}
int loadFile(const char* path) {
    calls.push_back(std::string("load ") + path);
    return 0;
}
void setFileJarName(const char* path, const char* jar) {
    calls.push_back(std::string("jar ") + path + " [" + jar + "]");
}
void close() {
    calls.push_back("close");
}
void otherClose() {
    calls.push_back("other close");
}

class NativeSplashStart : public ::testing::Test {
  protected:
    void SetUp() override { calls.clear(); }
    NativeSplashEntries all{init, loadFile, setFileJarName, close};
};

TEST_F(NativeSplashStart, CallsTheThreeStartEntriesInOrderAndKeepsClose) {
    NativeSplashClose slot = nullptr;
    EXPECT_TRUE(runNativeSplashStart(all, "C:\\app\\splash.bmp", slot));
    EXPECT_EQ(calls, (std::vector<std::string>{"init", "load C:\\app\\splash.bmp",
                                               "jar C:\\app\\splash.bmp []"}));
    EXPECT_EQ(slot, &close);

    closeNativeSplashLibrary(slot);
    closeNativeSplashLibrary(slot);
    EXPECT_EQ(calls.back(), "close");
    EXPECT_EQ(calls.size(), 4u) << "closed only once";
    EXPECT_EQ(slot, nullptr);
}

TEST_F(NativeSplashStart, AMissingStartEntryFailsAfterTheCloseEntryIsTaken) {
    for (int missing = 0; missing < 3; ++missing) {
        NativeSplashEntries entries = all;
        if (missing == 0)
            entries.init = nullptr;
        if (missing == 1)
            entries.loadFile = nullptr;
        if (missing == 2)
            entries.setFileJarName = nullptr;
        calls.clear();
        NativeSplashClose slot = nullptr;
        EXPECT_FALSE(runNativeSplashStart(entries, "p", slot)) << missing;
        EXPECT_TRUE(calls.empty()) << missing;
        EXPECT_EQ(slot, &close) << "still closed at the end";
    }
}

TEST_F(NativeSplashStart, ADifferentCloseEntryClosesTheEarlierOneFirst) {
    NativeSplashClose slot = otherClose;
    EXPECT_TRUE(runNativeSplashStart(all, "p", slot));
    EXPECT_EQ(calls.front(), "other close");
    EXPECT_EQ(slot, &close);

    // The same entry again is not called; a library without one clears the record.
    calls.clear();
    EXPECT_TRUE(runNativeSplashStart(all, "p", slot));
    EXPECT_EQ(calls.front(), "init");
    NativeSplashEntries noClose = all;
    noClose.close = nullptr;
    calls.clear();
    EXPECT_TRUE(runNativeSplashStart(noClose, "p", slot));
    EXPECT_EQ(calls.front(), "close");
    EXPECT_EQ(slot, nullptr);
}

TEST(NativeSplashLibrary, AbsentFilesAndLibrariesStartNothing) {
    NativeSplashClose slot = nullptr;
    EXPECT_EQ(findNativeSplashLibrary(""), "");
    EXPECT_EQ(findNativeSplashLibrary("/no/such/runtime/lib/server/libjvm.so"), "");
    EXPECT_FALSE(startNativeSplash("/no/such/libsplashscreen.so", "p",
                                   "/no/such/runtime/lib/server/libjvm.so", slot));
    EXPECT_EQ(slot, nullptr);
}

} // namespace
