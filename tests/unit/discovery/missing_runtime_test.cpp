#include "discovery/missing_runtime.h"

#include "unit/discovery/fake_runtime_host.h"

#include <gtest/gtest.h>

namespace {

const char* const javaHome = "C:\\Program Files\\Java\\jre7\\";
const char* const clientOnly = "C:\\Java\\client\\";
const char* const jdk = "C:\\Java\\jdk8\\";

struct PickStep {
    const char* folder;
    const char* expectedFolder;
    const char* expectedLibrary; // empty: OK stays disabled
};

struct PickCase {
    const char* name;
    JvmType type;
    std::vector<PickStep> steps;
};

// Each browse replaces the pick; OK follows the last one only.
TEST(RuntimeFolderPick, OkFollowsTheLastPickedFolder) {
    FakeRuntimeHost host;
    host.addHome(javaHome, {"client", "server"});
    host.addHome(clientOnly, {"client"});
    host.addHome(std::string(jdk) + "jre\\", {"client"}); // only below jre\, which is not tried
    host.files.insert("C:\\Bare\\bin\\hotspot\\jvm.dll"); // no bin\java.dll: still a runtime
    const std::string server = std::string(javaHome) + "bin\\server\\jvm.dll";
    const std::string client = std::string(javaHome) + "bin\\client\\jvm.dll";
    const PickCase cases[] = {
        {"trailing backslash added",
         JvmType::client,
         {{"C:\\Program Files\\Java\\jre7", javaHome, client.c_str()}}},
        {"valid then invalid",
         JvmType::client,
         {{javaHome, javaHome, client.c_str()}, {"C:\\Nothing", "C:\\Nothing\\", ""}}},
        {"invalid then valid",
         JvmType::favorServer,
         {{"C:\\Nothing\\", "C:\\Nothing\\", ""}, {javaHome, javaHome, server.c_str()}}},
        {"server wanted, client only", JvmType::server, {{clientOnly, clientOnly, ""}}},
        {"a JDK's top folder", JvmType::client, {{jdk, jdk, ""}}},
        {"no marker library needed",
         JvmType::client,
         {{"C:\\Bare", "C:\\Bare\\", "C:\\Bare\\bin\\hotspot\\jvm.dll"}}},
        // A pick without a path must not probe names relative to the current folder.
        {"empty path", JvmType::client, {{javaHome, javaHome, client.c_str()}, {"", "", ""}}},
    };
    host.files.insert("bin\\client\\jvm.dll");
    for (const PickCase& c : cases) {
        RuntimeFolderPick pick(host, c.type);
        EXPECT_FALSE(pick.accepted()) << c.name;
        for (const PickStep& step : c.steps) {
            pick.pick(step.folder);
            EXPECT_EQ(pick.selectedFolder(), step.expectedFolder) << c.name;
            EXPECT_EQ(pick.vmLibraryPath(), step.expectedLibrary) << c.name;
            EXPECT_EQ(pick.accepted(), *step.expectedLibrary != '\0') << c.name;
        }
    }
}

// The picked folder is kept for "JRE Path"; with a pair product set, an x86 library goes to the
// paired launcher and is remembered at once, anything else only once it has loaded.
TEST(AdoptPickedRuntime, TheLibrarysArchitectureDecidesWhoRunsItAndWhenItIsRemembered) {
    const std::string x86Home = "C:\\Jre32\\";
    const std::string x86Library = x86Home + "bin\\client\\jvm.dll";
    const std::string nativeLibrary = std::string(javaHome) + "bin\\client\\jvm.dll";
    FakeRuntimeHost host;
    host.addHome(javaHome, {"client"});
    host.addHome(x86Home, {"client"});
    host.x86Libraries.insert(x86Library);
    struct Case {
        const char* folder;
        bool pairProductSet;
        const std::string& library;
        bool paired;
        size_t librariesOpened;
    };
    const Case cases[] = {
        {x86Home.c_str(), true, x86Library, true, 1},
        {x86Home.c_str(), false, x86Library, false, 0},
        {javaHome, true, nativeLibrary, false, 1},
        {javaHome, false, nativeLibrary, false, 0},
    };
    for (const Case& c : cases) {
        host.openedLibraries.clear();
        RuntimeFolderPick pick(host, JvmType::client);
        pick.pick(c.folder);
        ASSERT_TRUE(pick.accepted()) << c.folder;
        RuntimeChoice choice = adoptPickedRuntime(host, pick, c.pairProductSet);
        EXPECT_EQ(choice.jvmPath, c.library) << c.folder << " " << c.pairProductSet;
        EXPECT_EQ(choice.pickedRuntimeFolder, c.folder) << c.folder << " " << c.pairProductSet;
        EXPECT_EQ(choice.usePairedLauncher, c.paired) << c.folder << " " << c.pairProductSet;
        EXPECT_EQ(choice.remembersPickAtOnce(), c.paired) << c.folder << " " << c.pairProductSet;
        EXPECT_EQ(host.openedLibraries.size(), c.librariesOpened) << c.folder;
    }
}

// A runtime the search found is no pick: nothing to remember, even for the paired launcher.
TEST(RuntimeChoice, OnlyAPickIsRememberedAtOnce) {
    RuntimeChoice found;
    found.jvmPath = "C:\\Jre32\\bin\\client\\jvm.dll";
    found.usePairedLauncher = true;
    EXPECT_FALSE(found.remembersPickAtOnce());
}

} // namespace
