#include "support/trace.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// What may lie at the trace's name before the start, for a named file and the default one.
TEST(TraceFile, OpensAtOnceWithoutFollowingALinkAndTheDefaultOnlyIfItIsTheUsersOwn) {
    char pattern[] = "/tmp/trace-posix-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string root = pattern, path = root + "/trace.log", victim = root + "/victim";
    struct Case {
        const char* planted;
        bool named, asDefault;
        const char* victimAfterNamed;
    } cases[] = {
        {"nothing", true, true, "keep"},        {"symlink", false, false, "keep"},
        {"fifo", false, false, "keep"},         {"fifo with reader", true, false, "keep"},
        {"hard link", true, false, "keepline"}, {"stranger's file", true, false, "keep"},
    };
    for (const Case& c : cases) {
        for (bool isDefault : {false, true}) {
            const std::string planted = c.planted;
            std::filesystem::remove(path);
            std::ofstream(victim, std::ios::binary) << "keep";
            if (planted == "symlink")
                std::filesystem::create_symlink(victim, path);
            if (planted == "hard link")
                std::filesystem::create_hard_link(victim, path);
            if (planted.rfind("fifo", 0) == 0)
                mkfifo(path.c_str(), 0600);
            int reader =
                planted == "fifo with reader" ? open(path.c_str(), O_RDONLY | O_NONBLOCK) : -1;
            // Someone else's file: root can give one away, others find one in /etc.
            bool isStrangers = planted == "stranger's file", givenAway = false;
            if (isStrangers) {
                std::ofstream(path) << "theirs";
                givenAway = chown(path.c_str(), 65534, 65534) == 0;
            }
            TraceTarget target;
            target.file = isStrangers && !givenAway ? "/etc/passwd" : path;
            target.isDefaultFile = isDefault;
            // A named file is written wherever the user may write.
            bool expected = isDefault ? c.asDefault : isStrangers ? givenAway : c.named;
            EXPECT_EQ(openTraceOutput(target) && writeTraceOutput("line"), expected)
                << planted << (isDefault ? " (default)" : " (named)");
            closeTraceOutput();
            if (reader != -1)
                close(reader);
            EXPECT_EQ(read(victim), isDefault ? "keep" : c.victimAfterNamed) << planted;
        }
    }
    struct stat status {};
    std::filesystem::remove(path);
    TraceTarget target;
    target.file = path;
    ASSERT_TRUE(openTraceOutput(target));
    closeTraceOutput();
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u); // the trace holds paths and the environment
    std::filesystem::remove_all(root);
}

} // namespace
