#include "discovery/runtime_inventory.h"

#include "launch/launcher.h"
#include "unit/discovery/fake_runtime_host.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ParseReleaseFile, ReadsTheQuotedValuesItNeeds) {
    ReleaseInfo release = parseReleaseFile("IMPLEMENTOR=\"Eclipse Adoptium\"\r\n"
                                           "JAVA_RUNTIME_VERSION=\"25.0.3+9-LTS\"\n"
                                           "garbage line\n"
                                           "JAVA_VERSION=\"25.0.3\"\n"
                                           "OS_ARCH=x86_64\n"
                                           "JVM_VARIANT=\"Hotspot\"");
    EXPECT_EQ(release.javaVersion, "25.0.3");
    EXPECT_EQ(release.implementor, "Eclipse Adoptium");
    EXPECT_EQ(release.osArch, "x86_64");
    EXPECT_EQ(release.jvmVariant, "Hotspot");
    EXPECT_EQ(parseReleaseFile("JAVA_VERSION=\"").javaVersion, "\"");
    EXPECT_EQ(parseReleaseFile("").javaVersion, "");
}

TEST(InventoryVendor, FollowsImplementorAndVariant) {
    struct Case {
        const char* implementor;
        const char* variant;
        RuntimeVendor vendor;
    } cases[] = {
        {"Debian", "", RuntimeVendor::sun},
        {"Eclipse Adoptium", "Hotspot", RuntimeVendor::sun},
        {"IBM Corporation", "", RuntimeVendor::ibm},
        {"Eclipse Foundation", "OpenJ9", RuntimeVendor::ibm},
        {"Oracle JRockit", "", RuntimeVendor::jrockit},
        {"BEA", "jrockit", RuntimeVendor::jrockit},
    };
    for (const Case& c : cases) {
        ReleaseInfo release;
        release.implementor = c.implementor;
        release.jvmVariant = c.variant;
        EXPECT_EQ(inventoryVendor(release), c.vendor) << c.implementor;
    }
}

TEST(InventoryView, OnlyX86RuntimesFormThe32BitView) {
    for (const char* arch : {"i386", "x86", "i686"}) {
        ReleaseInfo release;
        release.osArch = arch;
        EXPECT_EQ(inventoryView(release), RegistryView::x86) << arch;
    }
    for (const char* arch : {"x86_64", "amd64", "aarch64", ""}) {
        ReleaseInfo release;
        release.osArch = arch;
        EXPECT_EQ(inventoryView(release), RegistryView::native) << arch;
    }
}

// A machine without a registry: its runtimes are the folders below /jvm/ and /u/.jdks/.
struct FolderMachine {
    Launcher launcher;
    FakeRuntimeHost host;

    FolderMachine() {
        host.runtimeLayout = &posixRuntimeLayout();
        host.executable = "/opt/app/tool";
        host.scansFolders = true;
        host.scannedFolders = {"/jvm/", "/missing/", "/u/.jdks/"};
        launcher.jdkWanted = launcher.jreWanted = true;
        launcher.maxVersion = JavaVersion::highest();
    }
    void runtime(const std::string& home, const std::string& release, bool jdk,
                 const char* flavour = "server") {
        host.files.insert(home + "lib/libjava.so");
        host.files.insert(home + "lib/" + flavour + "/libjvm.so");
        host.textFiles[home + "release"] = release;
        if (jdk)
            host.files.insert(home + "bin/javac");
    }
    // Settings as "JVM Source" and "VM Provider" leave them.
    void onlyKind(bool jdk) {
        launcher.kindFallback = false;
        launcher.jdkWanted = jdk;
        launcher.jreWanted = !jdk;
    }
    void onlyIbm() {
        launcher.sunRuntimeAdmitted = launcher.sunRuntimeFavored = false;
        launcher.ibmRuntimeAdmitted = launcher.ibmRuntimeFavored = true;
    }
    std::string found() {
        launcher.jvmPath.clear();
        launcher.usePairedLauncher = false;
        return locateRuntime(launcher, host) ? launcher.jvmPath : std::string("none");
    }
};

TEST(InventorySearch, KindComesFromTheCompilerWhateverTheVendor) {
    FolderMachine machine;
    machine.runtime("/jvm/temurin-21/", "JAVA_VERSION=\"21.0.2\"\n", true);
    machine.runtime("/jvm/jre-17/", "JAVA_VERSION=\"17.0.9\"\n", false);
    machine.runtime("/u/.jdks/semeru-17/",
                    "IMPLEMENTOR=\"IBM Corporation\"\nJAVA_VERSION=\"17.0.8\"\n", true);
    machine.runtime("/u/.jdks/openj9-jre-11/",
                    "IMPLEMENTOR=\"Eclipse\"\nJVM_VARIANT=\"Openj9\"\nJAVA_VERSION=\"11\"\n",
                    false);
    machine.host.files.insert("/jvm/no-release/lib/server/libjvm.so");
    machine.host.files.insert("/jvm/notes.txt");
    EXPECT_EQ(machine.found(), "/jvm/temurin-21/lib/server/libjvm.so");
    machine.onlyKind(false);
    EXPECT_EQ(machine.found(), "/jvm/jre-17/lib/server/libjvm.so");
    machine.onlyIbm();
    EXPECT_EQ(machine.found(), "/u/.jdks/openj9-jre-11/lib/server/libjvm.so");
    // An OpenJ9 JDK is a JDK, so "JVM Source" only_JDK with "VM Provider" ibm finds it.
    machine.onlyKind(true);
    EXPECT_EQ(machine.found(), "/u/.jdks/semeru-17/lib/server/libjvm.so");
    machine.launcher.maxVersion = maximumVersionSetting("16");
    EXPECT_EQ(machine.found(), "none");
}

TEST(InventorySearch, ThirtyTwoBitRuntimesServeThePairProductOnlyWhenNoNativeOneIsAdmitted) {
    FolderMachine machine;
    machine.runtime("/jvm/jre-8-i386/", "JAVA_VERSION=\"1.8.0_402\"\nOS_ARCH=\"i386\"\n", false,
                    "client");
    EXPECT_EQ(machine.found(), "none");
    machine.launcher.pairProduct = "/opt/app/tool32";
    EXPECT_EQ(machine.found(), "/jvm/jre-8-i386/lib/client/libjvm.so");
    EXPECT_TRUE(machine.launcher.usePairedLauncher);
    machine.runtime("/u/.jdks/jdk-6/", "JAVA_VERSION=\"1.6\"\n", true);
    EXPECT_EQ(machine.found(), "/u/.jdks/jdk-6/lib/server/libjvm.so");
    EXPECT_FALSE(machine.launcher.usePairedLauncher);
    // The x86 view of a registry is never opened on a machine without one.
    EXPECT_TRUE(machine.host.enumeratedViews.empty());
}

TEST(JavaHome, AFolderThatIsNoRuntimeIsNotTakenForAnOldOne) {
    FolderMachine machine;
    machine.host.scannedFolders.clear();
    machine.launcher.ibmRuntimeAdmitted = true;
    machine.runtime("/opt/jdk-21/", "JAVA_VERSION=\"21\"\nIMPLEMENTOR=\"IBM\"\n", true);
    machine.host.files.insert("/opt/bare/lib/server/libjvm.so"); // no release file
    machine.host.files.insert("/opt/empty/readme");
    struct Case {
        const char* javaHome;
        const char* minimum;
        const char* found;
    } cases[] = {
        {"/opt/jdk-21", "", "/opt/jdk-21/lib/server/libjvm.so"},
        {"/opt/jdk-21/", "22", "none"},
        {"/opt/bare", "", "/opt/bare/lib/server/libjvm.so"}, // no bounds: its version is moot
        {"/opt/bare", "11", "none"},
        {"/opt/empty", "", "none"},
        {"/nonexistent", "", "none"},
    };
    for (const Case& c : cases) {
        machine.host.environment["JAVA_HOME"] = c.javaHome;
        JavaVersion::parse(c.minimum, 0, machine.launcher.minVersion);
        EXPECT_EQ(machine.found(), c.found) << c.javaHome << " " << c.minimum;
    }
    // An OpenJ9 JDK named by JAVA_HOME is a JDK too.
    machine.host.environment["JAVA_HOME"] = "/opt/jdk-21";
    machine.onlyKind(true);
    machine.onlyIbm();
    EXPECT_EQ(machine.found(), "/opt/jdk-21/lib/server/libjvm.so");
}

} // namespace
