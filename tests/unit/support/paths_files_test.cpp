// Path operations on the real file system of the platform the tests run on.

#include "support/paths.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class PathFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        // A name of its own: the same test of the sanitized build may run at the same time.
        base_ = fs::temp_directory_path() /
                ("paths_test_" +
                 std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                 "_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        std::error_code ignored;
        fs::remove_all(base_, ignored);
        fs::create_directories(base_);
    }
    void TearDown() override {
        fs::current_path(fs::temp_directory_path());
        std::error_code ignored;
        fs::remove_all(base_, ignored);
    }

    std::string at(const std::string& relative) const {
        return base_.u8string() + pathSeparator() + relative;
    }
    std::string join(std::initializer_list<std::string> pieces) const {
        std::string path;
        for (const std::string& piece : pieces)
            path += (path.empty() ? "" : std::string(1, pathSeparator())) + piece;
        return path;
    }
    static void writeFile(const std::string& path) { std::ofstream(fs::u8path(path)) << "text"; }

    fs::path base_;
};

TEST_F(PathFiles, CreatesEveryMissingFolder) {
    const std::string file = at(join({"a", "b", "out.txt"}));
    EXPECT_EQ(createFolderTree(file), 0u);
    EXPECT_TRUE(fs::is_directory(fs::u8path(at(join({"a", "b"})))));
    EXPECT_FALSE(fs::exists(fs::u8path(file)));
    writeFile(file);
    EXPECT_EQ(createFolderTree(file), 0u);
    uint64_t time = 0;
    EXPECT_TRUE(lastWriteTime(file, time));
    EXPECT_NE(time, 0u);
}

TEST_F(PathFiles, UncreatableSecondFolderTakesTheNewFirstOneAway) {
    // No one, not even an administrator, can create a folder with a 300-character name.
    const std::string file = at(join({"first", std::string(300, 'x'), "out.txt"}));
    EXPECT_NE(createFolderTree(file), 0u);
    EXPECT_FALSE(fs::exists(fs::u8path(at("first"))));
}

TEST_F(PathFiles, FileInTheWayStaysAFile) {
    writeFile(at("plain"));
    EXPECT_NE(createFolderTree(at(join({"plain", "x", "out.txt"}))), 0u);
    EXPECT_TRUE(fs::is_regular_file(fs::u8path(at("plain"))));
    // An existing empty folder is not taken away either.
    fs::create_directory(fs::u8path(at("empty")));
    EXPECT_NE(createFolderTree(at(join({"empty", std::string(300, 'y'), "out.txt"}))), 0u);
    EXPECT_TRUE(fs::is_directory(fs::u8path(at("empty"))));
}

TEST_F(PathFiles, RelativePathsStartBelowTheirFirstFolder) {
    fs::current_path(base_);
    EXPECT_NE(createFolderTree(join({"r", "x", "out.txt"})), 0u);
    EXPECT_FALSE(fs::exists(fs::u8path(at("r"))));
    EXPECT_EQ(createFolderTree(join({"r", "out.txt"})), 0u);
    EXPECT_EQ(createFolderTree("out.txt"), 0u);
    EXPECT_TRUE(fs::is_empty(base_));

    fs::create_directory(fs::u8path(at("r")));
    EXPECT_EQ(createFolderTree(join({"r", "x", "y", "out.txt"})), 0u);
    EXPECT_TRUE(fs::is_directory(fs::u8path(at(join({"r", "x", "y"})))));
}

TEST_F(PathFiles, FinderFindsFilesAndFolders) {
    writeFile(at("settings.ini"));
    FileFinder finder;
    EXPECT_TRUE(finder.find(at("settings.ini")));
    EXPECT_FALSE(finder.find(at("other.ini")));
    EXPECT_TRUE(finder.find(base_.u8string()));
}

TEST_F(PathFiles, LastWriteTimeNeedsAnExistingAbsolutePath) {
    writeFile(at("f.txt"));
    fs::current_path(base_);
    uint64_t time = 0;
    EXPECT_TRUE(lastWriteTime(at("f.txt"), time));
    EXPECT_FALSE(lastWriteTime("f.txt", time));
    EXPECT_FALSE(lastWriteTime(at("missing.txt"), time));
    EXPECT_FALSE(lastWriteTime("", time));
}

TEST(ModulePath, NamesThisExecutableAndItsFolder) {
    std::string path;
    std::string folder;
    ASSERT_TRUE(modulePath(path));
    ASSERT_TRUE(launcherFolder(folder));
    EXPECT_TRUE(isAbsolutePath(path));
    EXPECT_TRUE(fs::is_regular_file(fs::u8path(path)));
    EXPECT_EQ(fs::u8path(path).stem().u8string(), "unit_tests");
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), pathSeparator());
    EXPECT_EQ(path.compare(0, folder.size(), folder), 0);
    EXPECT_EQ(path.find(pathSeparator(), folder.size()), std::string::npos);
}

} // namespace
