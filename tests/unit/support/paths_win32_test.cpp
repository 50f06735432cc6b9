#include "support/paths.h"

#include "support/wide_text.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

// A settings file 300 characters deep; the system's plain path functions stop at 259.
TEST(FileFinder, FindsAFileBeyondThe259CharacterLimit) {
    wchar_t temp[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    const std::string base = toUtf8(temp) + "paths_test_long";
    std::vector<std::string> folders = {base};
    while (folders.back().size() < 300)
        folders.push_back(folders.back() + "\\" + std::string(40, 'f'));
    const std::string file = folders.back() + "\\settings.ini";
    const std::wstring longFile = toWide("\\\\?\\" + file);

    ASSERT_EQ(createFolderTree("\\\\?\\" + file), 0u);
    HANDLE handle = CreateFileW(longFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);

    FileFinder finder;
    EXPECT_TRUE(finder.find(file));
    EXPECT_FALSE(finder.find(file + "x"));
    EXPECT_TRUE(finder.find(file));

    DeleteFileW(longFile.c_str());
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
        RemoveDirectoryW(toWide("\\\\?\\" + *folder).c_str());
    EXPECT_EQ(GetFileAttributesW(toWide(base).c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
