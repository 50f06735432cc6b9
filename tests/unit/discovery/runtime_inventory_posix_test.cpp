#include "discovery/runtime_inventory.h"

#include "discovery/runtime_search.h"
#include "discovery/vm_library_check.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A folder of fake runtimes, removed afterwards.
class FakeRuntimes : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/runtime-inventory-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        requirements.jdkWanted = requirements.jreWanted = true;
        requirements.maxVersion = JavaVersion::highest();
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    void write(const std::string& relative, const std::string& text = "") {
        std::string path = root + "/" + relative;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }

    // A runtime folder with a release file, the home marker and the given VM flavours.
    void runtime(const std::string& name, const std::string& release,
                 std::initializer_list<const char*> flavours, bool jdk = false) {
        write(name + "/release", release);
        write(name + "/lib/libjava.so");
        for (const char* flavour : flavours)
            write(name + "/lib/" + flavour + "/libjvm.so", "\x7f"
                                                           "ELF\x02\x01\x01");
        if (jdk)
            write(name + "/bin/javac");
    }

    // The search over the folders; a default choice when it found nothing.
    bool locateInFolders(const std::vector<std::string>& folders) {
        std::optional<RuntimeChoice> found = locateRuntimeInFolders(requirements, folders);
        choice = found.value_or(RuntimeChoice());
        return found.has_value();
    }

    std::string root;
    RuntimeRequirements requirements;
    RuntimeChoice choice;
};

TEST_F(FakeRuntimes, TheNewestAdmittedRuntimeWins) {
    runtime("jdk-17", "JAVA_VERSION=\"17.0.2\"\nIMPLEMENTOR=\"Debian\"\n", {"server"}, true);
    runtime("jre-11", "JAVA_VERSION=\"11.0.9\"\n", {"client", "server"});
    runtime("ibm-21", "JAVA_VERSION=\"21\"\nIMPLEMENTOR=\"IBM Corporation\"\n", {"server"});
    write("not-a-runtime/lib/server/libjvm.so");
    write("loose-file");
    ASSERT_TRUE(locateInFolders({"/nonexistent", root}));
    EXPECT_EQ(choice.jvmPath, root + "/jdk-17/lib/server/libjvm.so");

    JavaVersion::parse("11", 65535, requirements.maxVersion);
    ASSERT_TRUE(locateInFolders({root + "/"}));
    EXPECT_EQ(choice.jvmPath, root + "/jre-11/lib/client/libjvm.so");

    // only_JDK with "VM Provider" ibm: the IBM runtime without a compiler is a JRE.
    requirements.jdkWanted = true;
    requirements.jreWanted = requirements.kindFallback = false;
    requirements.maxVersion = JavaVersion::highest();
    requirements.sunAdmitted = requirements.sunFavored = false;
    requirements.ibmAdmitted = requirements.ibmFavored = true;
    EXPECT_FALSE(locateInFolders({root}));
    requirements.kindFallback = true;
    ASSERT_TRUE(locateInFolders({root}));
    EXPECT_EQ(choice.jvmPath, root + "/ibm-21/lib/server/libjvm.so");
    // An OpenJ9 JDK is a JDK whatever its vendor.
    runtime("openj9-jdk-11", "JAVA_VERSION=\"11\"\nJVM_VARIANT=\"Openj9\"\n", {"server"}, true);
    requirements.kindFallback = false;
    ASSERT_TRUE(locateInFolders({root}));
    EXPECT_EQ(choice.jvmPath, root + "/openj9-jdk-11/lib/server/libjvm.so");
}

TEST_F(FakeRuntimes, A32BitRuntimeIsOnlyForThePairProduct) {
    runtime("jre-8-i386", "JAVA_VERSION=\"1.8.0_402\"\nOS_ARCH=\"i386\"\n", {"client"});
    EXPECT_FALSE(locateInFolders({root}));
    requirements.pairProductSet = true;
    ASSERT_TRUE(locateInFolders({root}));
    EXPECT_EQ(choice.jvmPath, root + "/jre-8-i386/lib/client/libjvm.so");
    EXPECT_TRUE(choice.usePairedLauncher);
}

TEST_F(FakeRuntimes, ReadsTheElfHeaderOfALibrary) {
    write("x86.so", std::string("\x7f"
                                "ELF\x01\x01\x01",
                                7) +
                        std::string(11, '\0') + std::string("\x03\0", 2));
    write("x64.so", std::string("\x7f"
                                "ELF\x02\x01\x01",
                                7) +
                        std::string(11, '\0') + std::string(">\0", 2));
    write("empty.so");
    EXPECT_TRUE(isX86VmLibrary(root + "/x86.so"));
    EXPECT_FALSE(isX86VmLibrary(root + "/x64.so"));
    EXPECT_FALSE(isX86VmLibrary(root + "/empty.so"));
    EXPECT_FALSE(isX86VmLibrary(root + "/missing.so"));
    EXPECT_FALSE(isX86VmLibrary(root)); // a folder
    EXPECT_TRUE(fileExists(root));
    EXPECT_TRUE(fileExists(root + "/x86.so"));
    EXPECT_FALSE(fileExists(root + "/missing.so"));
}

TEST(StandardInventory, FindsThisMachinesOpenJdk17) {
    RuntimeRequirements requirements;
    requirements.jdkWanted = requirements.jreWanted = true;
    JavaVersion::parse("17", 0, requirements.minVersion);
    JavaVersion::parse("17", 65535, requirements.maxVersion);
    std::optional<RuntimeChoice> choice = locateRuntime(requirements);
    ASSERT_TRUE(choice);
    char* found = realpath(choice->jvmPath.c_str(), nullptr);
    ASSERT_NE(found, nullptr);
    EXPECT_STREQ(found, "/usr/lib/jvm/java-17-openjdk-amd64/lib/server/libjvm.so");
    std::free(found);
}

} // namespace
