#include "instance/instance_files_posix.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

struct stat statusOf(mode_t mode, uid_t owner) {
    struct stat status {};
    status.st_mode = mode;
    status.st_uid = owner;
    return status;
}

TEST(InstanceFiles, OnlyTheUsersOwnClosedObjectsOfTheRightKindAreUsed) {
    const struct {
        mode_t mode;
        uid_t owner;
        mode_t type;
        const char* refusal; // part of the reason; empty: usable
    } cases[] = {
        {S_IFDIR | 0700, 1000, S_IFDIR, ""},
        {S_IFSOCK | 0600, 1000, S_IFSOCK, ""},
        {S_IFREG | 0600, 1000, S_IFREG, ""},
        {S_IFDIR | 0700, 1001, S_IFDIR, "belongs to uid 1001"},
        {S_IFDIR | 0710, 1000, S_IFDIR, "mode 0710"},
        {S_IFSOCK | 0602, 1000, S_IFSOCK, "open to group or others"},
        {S_IFREG | 0666, 1001, S_IFREG, "belongs to uid 1001"},
        {S_IFLNK | 0777, 1000, S_IFDIR, "is not a folder"},
        {S_IFREG | 0600, 1000, S_IFSOCK, "is not a socket"},
    };
    for (const auto& c : cases) {
        std::string reason = refusalReason(statusOf(c.mode, c.owner), c.type, 1000);
        if (c.refusal[0] == '\0')
            EXPECT_EQ(reason, "") << std::oct << c.mode;
        else
            EXPECT_NE(reason.find(c.refusal), std::string::npos) << reason;
    }
}

class InstanceFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/instance-folder-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + root + "'").c_str()); }
    std::string fallback() const {
        return root + "/jl-single-instance-" + std::to_string(geteuid());
    }
    std::string root;
};

TEST_F(InstanceFolderTest, TheRuntimeFolderWhenPrivateElseAFolderOfTheUsersOwn) {
    std::string runtime = root + "/run";
    ASSERT_EQ(mkdir(runtime.c_str(), 0700), 0);
    InstanceFolder chosen = instanceFolder(runtime.c_str(), root);
    EXPECT_EQ(chosen.path, runtime + "/jl-single-instance");
    struct stat status {};
    ASSERT_EQ(lstat(chosen.path.c_str(), &status), 0);
    EXPECT_EQ(refusalReason(status, S_IFDIR, geteuid()), "");

    // A runtime folder others may enter is passed over, and so is a relative one.
    ASSERT_EQ(chmod(runtime.c_str(), 0755), 0);
    for (const char* value : {runtime.c_str(), "run", static_cast<const char*>(nullptr)}) {
        chosen = instanceFolder(value, root);
        EXPECT_EQ(chosen.path, fallback());
        EXPECT_EQ(chosen.notes.size(), value == nullptr ? 0u : 1u);
    }
    ASSERT_EQ(lstat(fallback().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);
}

TEST_F(InstanceFolderTest, AFallbackFolderMadeBeforeAsLinkOrOpenFolderIsNeverUsed) {
    std::string elsewhere = root + "/elsewhere";
    ASSERT_EQ(mkdir(elsewhere.c_str(), 0700), 0);
    ASSERT_EQ(symlink(elsewhere.c_str(), fallback().c_str()), 0);
    InstanceFolder chosen = instanceFolder(nullptr, root);
    EXPECT_EQ(chosen.path, "");
    ASSERT_EQ(chosen.notes.size(), 1u);
    EXPECT_NE(chosen.notes[0].find("is not a folder"), std::string::npos) << chosen.notes[0];

    ASSERT_EQ(unlink(fallback().c_str()), 0);
    ASSERT_EQ(mkdir(fallback().c_str(), 0777), 0);
    ASSERT_EQ(chmod(fallback().c_str(), 0777), 0);
    chosen = instanceFolder(nullptr, root);
    EXPECT_EQ(chosen.path, "");
    EXPECT_NE(chosen.notes[0].find("open to group or others"), std::string::npos);
}

} // namespace
