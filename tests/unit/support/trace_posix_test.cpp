#include "support/trace.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class TraceFiles : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/trace-posix-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        for (const char* name : {"XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "HOME", "TMPDIR"})
            if (const char* value = std::getenv(name))
                saved[name] = value;
    }
    void TearDown() override {
        closeTraceOutput();
        for (const char* name : {"XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "HOME", "TMPDIR"})
            unsetenv(name);
        for (const auto& [name, value] : saved)
            setenv(name.c_str(), value.c_str(), 1);
        std::filesystem::remove_all(root);
    }

    std::string folder(const std::string& name, mode_t mode) {
        std::string path = root + "/" + name;
        std::filesystem::create_directories(path);
        chmod(path.c_str(), mode);
        return path;
    }
    void write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string read(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    // Not this user's: a file given away when the tests run as root, else a system file.
    std::string strangersFile(const std::string& path) {
        if (geteuid() != 0)
            return "/etc/passwd";
        write(path, "theirs\n");
        EXPECT_EQ(chown(path.c_str(), 65534, 65534), 0);
        return path;
    }

    std::string root;
    std::map<std::string, std::string> saved;
};

TEST_F(TraceFiles, TheDefaultFolderIsTheUsersOwnBeforeTheSharedOne) {
    std::string runtime = folder("run", 0700), cache = folder("cache", 0700);
    std::string open = folder("open", 0777), home = folder("home", 0700);
    std::string homeCache = folder("home/.cache", 0700), bare = folder("bare", 0700);
    std::string theirs = folder("theirs", 0700);
    if (geteuid() == 0)
        ASSERT_EQ(chown(theirs.c_str(), 65534, 65534), 0);
    else
        theirs = "/usr";
    struct Case {
        const char *runtime, *cache, *home, *temporary;
        std::string expected;
    } cases[] = {
        {runtime.c_str(), cache.c_str(), home.c_str(), nullptr, runtime + "/"},
        {open.c_str(), cache.c_str(), home.c_str(), nullptr, cache + "/"},
        {theirs.c_str(), nullptr, home.c_str(), nullptr, homeCache + "/"},
        {"run", "cache", home.c_str(), nullptr, homeCache + "/"}, // relative: ignored
        {(root + "/missing").c_str(), nullptr, bare.c_str(), open.c_str(), open + "/"},
        {nullptr, nullptr, nullptr, nullptr, "/tmp/"},
        {nullptr, nullptr, nullptr, "", "/tmp/"},
    };
    for (const Case& c : cases) {
        const std::pair<const char*, const char*> variables[] = {{"XDG_RUNTIME_DIR", c.runtime},
                                                                 {"XDG_CACHE_HOME", c.cache},
                                                                 {"HOME", c.home},
                                                                 {"TMPDIR", c.temporary}};
        for (const auto& [name, value] : variables)
            value ? setenv(name, value, 1) : unsetenv(name);
        EXPECT_EQ(defaultTraceFolder(), c.expected) << (c.runtime ? c.runtime : "-");
    }
}

TEST_F(TraceFiles, OpensAtOnceWithoutFollowingALinkAndTheDefaultOnlyIfItIsTheUsersOwn) {
    std::string victim = root + "/victim";
    write(victim, "keep\n");
    // What lies at the trace's name before the start: the named file and the default file.
    struct Case {
        const char* planted;
        bool named, asDefault;
    } cases[] = {
        {"nothing", true, true},           {"own file", true, true},
        {"symlink", false, false},         {"fifo", false, false},
        {"hard link", true, false},        {"stranger's file", true, false},
        {"fifo with reader", true, false},
    };
    for (const Case& c : cases) {
        for (bool isDefault : {false, true}) {
            std::string path = root + "/trace.log";
            std::filesystem::remove(path);
            std::string planted = c.planted;
            int reader = -1;
            if (planted == "own file")
                write(path, "before\n");
            else if (planted == "symlink")
                std::filesystem::create_symlink(victim, path);
            else if (planted == "hard link")
                std::filesystem::create_hard_link(victim, path);
            else if (planted == "stranger's file")
                path = strangersFile(path);
            else if (planted.rfind("fifo", 0) == 0)
                mkfifo(path.c_str(), 0600);
            if (planted == "fifo with reader")
                reader = open(path.c_str(), O_RDONLY | O_NONBLOCK);
            TraceTarget target;
            target.file = path;
            target.isDefaultFile = isDefault;
            bool expected = isDefault ? c.asDefault : c.named;
            if (planted == "stranger's file" && geteuid() != 0)
                expected = false; // a system file: no one else may write it
            bool opened = openTraceOutput(target);
            EXPECT_EQ(opened, expected) << planted << (isDefault ? " (default)" : " (named)");
            EXPECT_EQ(opened && writeTraceOutput("line\n"), expected) << planted;
            closeTraceOutput();
            if (reader != -1)
                close(reader);
            struct stat status {};
            if (planted == "nothing") {
                EXPECT_EQ(stat(path.c_str(), &status), 0);
                EXPECT_EQ(status.st_mode & 0777, 0600u);
            }
            const std::map<std::string, std::string> contents = {{"nothing", "line\n"},
                                                                 {"own file", "before\nline\n"}};
            auto content = contents.find(planted);
            if (content != contents.end()) {
                EXPECT_EQ(read(path), content->second) << planted;
            }
            EXPECT_EQ(read(victim),
                      isDefault || planted != "hard link" ? "keep\n" : "keep\nline\n");
            write(victim, "keep\n");
        }
    }
}

} // namespace
