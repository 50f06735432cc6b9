#include "settings/settings_source.h"
#include "unit/settings/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>

namespace {

// The reader keeps the profile of the file it read last while the file stays the same; any
// change of the file, or of which file is asked, must be seen at the next lookup.
TEST(SettingsFileReuse, SeesEveryChangeOfTheFile) {
    TempFolder folder;
    const std::string path = folder.file("s.ini");
    const std::string other = folder.file("other.ini");
    TempFolder::write(path, "[S]\nk=1\n");
    TempFolder::write(other, "[S]\nk=other\n");
    SettingsFile file(path);
    EXPECT_EQ(file.fileValue("S", "k"), "1");

    // Another file in between, then the first one again.
    EXPECT_EQ(SettingsFile(other).fileValue("S", "k"), "other");
    EXPECT_EQ(file.fileValue("S", "k"), "1");

    // Rewritten in place with another size.
    TempFolder::write(path, "[S]\nk=22\n");
    EXPECT_EQ(file.fileValue("S", "k"), "22");

    // Replaced by another file of the same size (a new inode, whatever the times say).
    const std::string replacement = folder.file("new.ini");
    TempFolder::write(replacement, "[S]\nk=33\n");
    ASSERT_EQ(std::rename(replacement.c_str(), path.c_str()), 0);
    EXPECT_EQ(file.fileValue("S", "k"), "33");

    // Its own writes are seen at once, even when size and times come out the same.
    ASSERT_TRUE(file.setValue("S", "k", "44"));
    EXPECT_EQ(file.fileValue("S", "k"), "44");
    std::vector<std::string> names;
    file.getSectionNames(names);
    EXPECT_EQ(names, std::vector<std::string>{"S"});

    ASSERT_TRUE(file.deleteFile());
    EXPECT_EQ(file.fileValue("S", "k"), "");
    TempFolder::write(path, "[S]\nk=55\n");
    EXPECT_EQ(file.fileValue("S", "k"), "55");
}

// A settings file that is not a regular file reads as absent: a FIFO would otherwise block
// the start until a writer appears, a device like /dev/zero would never end.
TEST(SettingsFileKinds, OnlyRegularFilesAreRead) {
    TempFolder folder;
    const std::string fifo = folder.file("tool.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string special[] = {fifo, "/dev/zero", folder.file("")};
    for (const std::string& path : special) {
        SettingsFile file(path);
        EXPECT_EQ(file.fileValue("S", "k"), "") << path;
        std::vector<std::string> names{"left over"};
        file.getSectionNames(names);
        EXPECT_TRUE(names.empty()) << path;
        uint32_t header = 0;
        EXPECT_NE(file.readHeader(header), 0u) << path;
    }
}

} // namespace
