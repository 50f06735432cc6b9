#include "vmhost/class_path.h"

#include "support/paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class ClassPathFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("class-path-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(root / "lib" / "sub");
        for (const char* name : {"b.jar", "a.jar", "notes.txt"})
            std::ofstream(root / "lib" / name) << "x";
    }
    void TearDown() override { fs::remove_all(root); }

    std::string path(const std::string& relative) const {
        std::string text = root.string() + pathSeparator() + relative;
        std::replace(text.begin(), text.end(), '/', pathSeparator());
        return text;
    }

    static std::vector<std::string> sorted(std::vector<std::string> names) {
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path root;
};

TEST_F(ClassPathFiles, ListsTheNamesAWildcardMatches) {
    EXPECT_EQ(sorted(listMatchingFiles(path("lib/*.jar"))),
              (std::vector<std::string>{"a.jar", "b.jar"}));
    EXPECT_EQ(sorted(listMatchingFiles(path("lib/*"))),
              (std::vector<std::string>{"a.jar", "b.jar", "notes.txt", "sub"}));
    EXPECT_EQ(listMatchingFiles(path("lib/?.txt")), std::vector<std::string>{});
}

TEST_F(ClassPathFiles, FindsAPlainNameOnlyWhenItExists) {
    EXPECT_EQ(listMatchingFiles(path("lib/a.jar")), std::vector<std::string>{"a.jar"});
    EXPECT_EQ(listMatchingFiles(path("lib/z.jar")), std::vector<std::string>{});
    EXPECT_EQ(listMatchingFiles(path("nothing/*.jar")), std::vector<std::string>{});
}

} // namespace
