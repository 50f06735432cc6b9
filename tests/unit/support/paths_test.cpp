#include "support/paths.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using Parts = std::vector<std::string>;
constexpr PathStyle win = PathStyle::windows;
constexpr PathStyle posix = PathStyle::posix;

TEST(PathText, AbsoluteAndUncPaths) {
    struct Case {
        PathStyle style;
        const char* path;
        bool absolute;
        bool unc;
    };
    const Case cases[] = {
        {win, "C:\\a", true, false},        {win, "C:", true, false},
        {win, "C", false, false},           {win, "a\\b", false, false},
        {win, "\\a", false, false},         {win, "\\\\server\\share", true, true},
        {win, "\\\\s", true, true},         {win, "\\\\", true, false},
        {win, "\\\\?\\C:\\a", true, false}, {win, "", false, false},
        {posix, "/", true, false},          {posix, "/opt/app", true, false},
        {posix, "opt/app", false, false},   {posix, "//server/share", true, false},
        {posix, "C:\\a", false, false},     {posix, "", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isAbsolutePath(c.path, c.style), c.absolute) << c.path;
        EXPECT_EQ(isUncPath(c.path, c.style), c.unc) << c.path;
    }
}

TEST(PathText, SplitsIntoRootAndComponents) {
    struct Case {
        PathStyle style;
        const char* path;
        Parts parts;
    };
    const Case cases[] = {
        {win, "D:\\Logs\\a\\out.txt", {"D:", "Logs", "a", "out.txt"}},
        {win, "C:\\out.txt", {"C:", "out.txt"}},
        {win, "\\\\server\\share\\dir\\f", {"\\\\server", "share", "dir", "f"}},
        {win, "\\\\?\\C:\\a\\f", {"\\\\?\\C:", "a", "f"}},
        {win, "\\\\?\\UNC\\server\\share", {"\\\\?\\UNC", "server", "share"}},
        {win, "\\Logs\\f", {"", "Logs", "f"}},
        {win, "rel\\f", {"rel", "f"}},
        {win, "out.txt", {"out.txt"}},
        {win, "C:\\a\\\\b\\", {"C:", "a", "", "b"}},
        {win, "a/b\\c", {"a/b", "c"}},
        {win, "", {}},
        {posix, "/opt/app/out.txt", {"", "opt", "app", "out.txt"}},
        {posix, "/", {""}},
        {posix, "logs/out.txt", {"logs", "out.txt"}},
        {posix, "//server/x", {"", "", "server", "x"}},
        {posix, "a\\b/c", {"a\\b", "c"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitPath(c.path, c.style), c.parts) << c.path;
}

TEST(PathText, LongPathFormOnlyBeyond259Units) {
    const std::string folder = "C:\\" + std::string(250, 'a') + "\\";
    const std::string at259 = folder + std::string(259 - folder.size(), 'b');
    EXPECT_EQ(longPathForm(at259, win), at259);
    EXPECT_EQ(longPathForm(at259 + "b", win), "\\\\?\\" + at259 + "b");
    EXPECT_EQ(longPathForm("\\\\?\\" + at259, win), "\\\\?\\" + at259);
    const std::string unc = "\\\\server\\share\\" + std::string(250, 'c');
    EXPECT_EQ(longPathForm(unc, win), "\\\\?\\UNC\\server\\share\\" + std::string(250, 'c'));
    // Counted in UTF-16 units: 130 three-byte characters are 130 units, a four-byte one two.
    std::string threeBytes;
    for (int i = 0; i < 130; ++i)
        threeBytes += "\xE6\x97\xA5";
    EXPECT_EQ(longPathForm(threeBytes, win), threeBytes);
    std::string fourBytes = std::string(258, 'd') + "\xF0\x9F\x98\x80";
    EXPECT_EQ(longPathForm(fourBytes, win), "\\\\?\\" + fourBytes);
    EXPECT_EQ(longPathForm("/" + std::string(400, 'e'), posix), "/" + std::string(400, 'e'));
}

// A file system in memory that records what createFolderTree asks of it.
class FakeFolders : public FolderSystem {
  public:
    std::set<std::string> present;
    std::map<std::string, uint32_t> failures;
    Parts created;
    Parts removed;

    bool exists(const std::string& path) override { return present.count(path) != 0; }
    uint32_t createFolder(const std::string& path) override {
        if (failures.count(path))
            return failures[path];
        if (!present.insert(path).second)
            return alreadyExistsCode();
        created.push_back(path);
        return 0;
    }
    void removeFolder(const std::string& path) override {
        removed.push_back(path);
        present.erase(path);
    }
    uint32_t alreadyExistsCode() const override { return 183; }
};

TEST(CreateFolderTree, WalksFromTheRootToTheFilesFolder) {
    struct Case {
        PathStyle style;
        const char* path;
        Parts created;
    };
    const Case cases[] = {
        {win, "D:\\Logs\\a\\b\\out.txt", {"D:\\Logs\\a", "D:\\Logs\\a\\b"}},
        {win, "C:\\out.txt", {}},
        {win, "D:\\Logs\\out.txt", {}},
        {win, "rel\\x\\out.txt", {"rel\\x"}},
        {win, "rel\\out.txt", {}},
        {win, "out.txt", {}},
        {win, "\\Top\\out.txt", {"\\Top"}},
        {win, "\\\\?\\D:\\Logs\\n\\out.txt", {"\\\\?\\D:\\Logs\\n"}},
        {posix, "/var/log/app/out.txt", {"/var/log/app"}},
        {posix, "/out.txt", {}},
        {posix, "rel/x/out.txt", {"rel/x"}},
        {posix, "", {}},
    };
    for (const Case& c : cases) {
        FakeFolders folders;
        folders.present = {"D:", "D:\\Logs", "\\\\?\\D:\\Logs", "/var", "/var/log"};
        EXPECT_EQ(createFolderTree(c.path, folders, c.style), 0u) << c.path;
        EXPECT_EQ(folders.created, c.created) << c.path;
        EXPECT_TRUE(folders.removed.empty()) << c.path;
    }
}

TEST(CreateFolderTree, FailureRemovesOnlyTheFolderItJustMade) {
    FakeFolders folders;
    folders.failures["D:\\a\\b"] = 5;
    EXPECT_EQ(createFolderTree("D:\\a\\b\\c\\out.txt", folders, win), 5u);
    EXPECT_EQ(folders.created, Parts{"D:\\a"});
    EXPECT_EQ(folders.removed, Parts{"D:\\a"});

    // A folder that was there before stays, and so does the root of a relative path.
    for (const char* path : {"D:\\a\\b\\c\\out.txt", "D:\\a\\b\\out.txt"}) {
        FakeFolders before;
        before.present = {"D:\\a"};
        before.failures["D:\\a\\b"] = 5;
        EXPECT_EQ(createFolderTree(path, before, win), 5u);
        EXPECT_TRUE(before.removed.empty()) << path;
    }
    FakeFolders relative;
    relative.failures["rel\\b"] = 3;
    EXPECT_EQ(createFolderTree("rel\\b\\out.txt", relative, win), 3u);
    EXPECT_TRUE(relative.removed.empty());
}

TEST(CreateFolderTree, UncWalkPassesFailuresOver) {
    FakeFolders folders;
    folders.failures["\\\\srv\\share"] = 53;
    EXPECT_EQ(createFolderTree("\\\\srv\\share\\a\\b\\out.txt", folders, win), 53u);
    EXPECT_EQ(folders.created, (Parts{"\\\\srv\\share\\a", "\\\\srv\\share\\a\\b"}));
    EXPECT_TRUE(folders.removed.empty());
}

} // namespace
