#include "launch/settings_source.h"
#include "unit/launch/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>

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

} // namespace
