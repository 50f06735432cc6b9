#include "discovery/vm_library_check.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string temporaryFolder() {
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, folder);
    return std::string(folder, length);
}

void write(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

// "MZ", the NT headers at 0x40, "PE\0\0" and the machine.
std::string peHeader(char low, char high) {
    std::string image(0x40, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    image[0x3C] = 0x40;
    return image + std::string("PE\0\0", 4) + low + high + std::string(18, '\0');
}

TEST(IsX86VmLibraryOnWindows, MapsTheFileAndReadsItsMachine) {
    std::string folder = temporaryFolder();
    write(folder + "x86.dll", peHeader('\x4C', '\x01'));
    write(folder + "x64.dll", peHeader('\x64', '\x86'));
    write(folder + "empty.dll", "");
    EXPECT_TRUE(isX86VmLibrary(folder + "x86.dll"));
    EXPECT_FALSE(isX86VmLibrary(folder + "x64.dll"));
    EXPECT_FALSE(isX86VmLibrary(folder + "empty.dll"));
    EXPECT_FALSE(isX86VmLibrary(folder + "missing.dll"));

    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    EXPECT_EQ(isX86VmLibrary(self), sizeof(void*) == 4); // this test program

    for (const char* name : {"x86.dll", "x64.dll", "empty.dll"})
        DeleteFileA((folder + name).c_str());
}

TEST(FileExistsOnWindows, FindsFilesAndFolders) {
    std::string folder = temporaryFolder();
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    EXPECT_TRUE(fileExists(self));
    EXPECT_TRUE(fileExists(folder.substr(0, folder.size() - 1)));
    EXPECT_FALSE(fileExists(folder + "no such file.dll"));
}

} // namespace
