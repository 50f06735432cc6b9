#include "discovery/runtime_inventory.h"
#include "discovery/runtime_search.h"

#include "launch/launcher.h"
#include "unit/discovery/fake_runtime_host.h"

#include <gtest/gtest.h>

#include <iterator>
#include <stdexcept>

namespace {

// A machine with one runtime at C:\R\: its libraries, and a release file when version is set.
struct Machine {
    Launcher launcher;
    FakeRuntimeHost host;

    Machine() {
        launcher.jdkWanted = launcher.jreWanted = true;
        launcher.maxVersion = JavaVersion::highest();
    }
    void admitEveryVendor() {
        launcher.sunRuntimeFavored = launcher.jrockitRuntimeFavored = false;
        launcher.ibmRuntimeFavored = false;
        launcher.sunRuntimeAdmitted = launcher.jrockitRuntimeAdmitted = true;
        launcher.ibmRuntimeAdmitted = true;
    }
    void addRuntime(const std::string& home, const char* version, bool jdk = false) {
        host.addHome(home, {"server"});
        if (version)
            host.textFiles[home + "release"] = std::string("JAVA_VERSION=\"") + version + "\"\n";
        if (jdk)
            host.files.insert(home + "bin\\javac.exe");
    }
    std::string found() {
        launcher.jvmPath.clear();
        return locateRuntime(launcher, host) ? launcher.jvmPath : std::string("none");
    }
};

const RegistryRoot& currentRoot(const char* key, const char* record = "hotspot\\MSI") {
    for (const RegistryRoot& root : currentRegistryRoots)
        if (std::string(root.key) == key && std::string(root.record) == record)
            return root;
    throw std::runtime_error(key);
}

TEST(CurrentRegistryRoots, EachIsFoundAloneWithItsKindVendorAndReleaseVersion) {
    struct Case {
        const char* key;
        const char* record;
        RuntimeKind kind;
        RuntimeVendor vendor;
    } cases[] = {
        {"Software\\JavaSoft\\JDK\\", "", RuntimeKind::jdk, RuntimeVendor::sun},
        {"Software\\JavaSoft\\JRE\\", "", RuntimeKind::jre, RuntimeVendor::sun},
        {"Software\\Eclipse Adoptium\\JDK\\", "hotspot\\MSI", RuntimeKind::jdk, RuntimeVendor::sun},
        {"Software\\Eclipse Adoptium\\JRE\\", "hotspot\\MSI", RuntimeKind::jre, RuntimeVendor::sun},
        {"Software\\Eclipse Foundation\\JDK\\", "hotspot\\MSI", RuntimeKind::jdk,
         RuntimeVendor::sun},
        {"Software\\AdoptOpenJDK\\JDK\\", "hotspot\\MSI", RuntimeKind::jdk, RuntimeVendor::sun},
        {"Software\\AdoptOpenJDK\\JDK\\", "openj9\\MSI", RuntimeKind::jdk, RuntimeVendor::ibm},
        {"Software\\AdoptOpenJDK\\JRE\\", "hotspot\\MSI", RuntimeKind::jre, RuntimeVendor::sun},
        {"Software\\AdoptOpenJDK\\JRE\\", "openj9\\MSI", RuntimeKind::jre, RuntimeVendor::ibm},
        {"Software\\Microsoft\\JDK\\", "hotspot\\MSI", RuntimeKind::jdk, RuntimeVendor::sun},
        {"Software\\Semeru\\JDK\\", "openj9\\MSI", RuntimeKind::jdk, RuntimeVendor::ibm},
        {"Software\\Semeru\\JRE\\", "openj9\\MSI", RuntimeKind::jre, RuntimeVendor::ibm},
    };
    ASSERT_EQ(std::size(cases) + 1, std::size(currentRegistryRoots)); // and Zulu, below
    for (const Case& c : cases) {
        Machine machine;
        machine.admitEveryVendor();
        // The subkey says 17, the home's release file 17.0.9: the file decides.
        machine.addRuntime("C:\\R\\", "17.0.9");
        const RegistryRoot& root = currentRoot(c.key, c.record);
        machine.host.addRecord(root, "17", "C:\\R");
        EXPECT_EQ(machine.found(), "C:\\R\\bin\\server\\jvm.dll") << c.key << c.record;

        std::vector<RuntimeCandidate> candidates;
        collectCandidates(machine.launcher, machine.host, root, RegistryView::native, candidates);
        ASSERT_EQ(candidates.size(), 1u) << c.key;
        EXPECT_EQ(candidates[0].version, (JavaVersion{{17, 0, 9, 0}})) << c.key;
        EXPECT_EQ(candidates[0].kind, c.kind) << c.key;
        EXPECT_EQ(candidates[0].vendor, c.vendor) << c.key;

        // "VM Provider" ibm admits only the OpenJ9 builds; "JVM Source" only the wanted kind.
        Machine ibmOnly;
        ibmOnly.launcher.sunRuntimeAdmitted = ibmOnly.launcher.sunRuntimeFavored = false;
        ibmOnly.launcher.ibmRuntimeAdmitted = ibmOnly.launcher.ibmRuntimeFavored = true;
        ibmOnly.addRuntime("C:\\R\\", "17.0.9");
        ibmOnly.host.addRecord(root, "17", "C:\\R");
        EXPECT_EQ(ibmOnly.found() != "none", c.vendor == RuntimeVendor::ibm) << c.key << c.record;
        machine.launcher.kindFallback = false;
        machine.launcher.jdkWanted = c.kind != RuntimeKind::jdk;
        machine.launcher.jreWanted = c.kind != RuntimeKind::jre;
        EXPECT_EQ(machine.found(), "none") << c.key << c.record;
    }
}

TEST(CurrentRegistryRoots, ZuluRecordsAreNamedByProductAndTakeTheirKindFromTheHome) {
    Machine machine;
    const RegistryRoot& zulu = currentRoot("Software\\Azul Systems\\Zulu\\", "");
    machine.addRuntime("C:\\Zulu21\\", nullptr, true); // no release file: the name's version
    machine.addRuntime("C:\\Zulu17\\", "17.0.2");      // a JRE
    machine.host.addRecord(zulu, "zulu-21", "C:\\Zulu21\\");
    machine.host.addRecord(zulu, "zulu-17-jre", "C:\\Zulu17\\");
    machine.host.addRecord(zulu, "zulu-8", ""); // no InstallationPath
    EXPECT_EQ(machine.found(), "C:\\Zulu21\\bin\\server\\jvm.dll");
    machine.launcher.kindFallback = machine.launcher.jdkWanted = false; // only_JRE
    EXPECT_EQ(machine.found(), "C:\\Zulu17\\bin\\server\\jvm.dll");
    machine.launcher.maxVersion = maximumVersionSetting("17.0.1");
    EXPECT_EQ(machine.found(), "none");
}

TEST(CurrentRegistryRoots, AnOlderRootKeepsItsChoiceWhenTheBoundsAdmitOnlyIt) {
    Machine machine;
    machine.addRuntime("C:\\Jre8\\", nullptr);
    machine.host.addRecord(registryRoots[1], "1.8.0_202", "C:\\Jre8\\");
    machine.addRuntime("C:\\Jdk21\\", "21.0.1", true);
    machine.host.addRecord(currentRoot("Software\\JavaSoft\\JDK\\", ""), "21", "C:\\Jdk21\\");
    EXPECT_EQ(machine.found(), "C:\\Jdk21\\bin\\server\\jvm.dll");
    machine.launcher.maxVersion = maximumVersionSetting("1.8");
    EXPECT_EQ(machine.found(), "C:\\Jre8\\bin\\server\\jvm.dll");
    machine.launcher.maxVersion = JavaVersion::highest();
    machine.launcher.preferredVersions = {"1.8"};
    EXPECT_EQ(machine.found(), "C:\\Jre8\\bin\\server\\jvm.dll");
}

TEST(JavaHome, IsTheLastSourceAndPassesTheSameFilter) {
    struct Case {
        const char* settings; // which filter applies
        const char* javaHome;
        const char* expected;
    } cases[] = {
        {"", "C:\\Jdk17", "C:\\Jdk17\\bin\\server\\jvm.dll"},
        {"", "", "none"},
        {"", nullptr, "none"},
        {"max 11", "C:\\Jdk17", "none"},
        {"min 11", "C:\\Jdk8", "none"},
        {"", "C:\\Jdk8\\", "C:\\Jdk8\\jre\\bin\\server\\jvm.dll"},
        {"only_JRE", "C:\\Jdk17", "none"},
        {"only_JRE", "C:\\Jre8", "C:\\Jre8\\bin\\server\\jvm.dll"},
        {"ibm", "C:\\Jdk17", "none"},
        {"ibm", "C:\\Semeru", "C:\\Semeru\\bin\\server\\jvm.dll"},
        {"", "C:\\Jre32", "none"},
        {"pair", "C:\\Jre32", "C:\\Jre32\\bin\\server\\jvm.dll"},
    };
    for (const Case& c : cases) {
        Machine machine;
        machine.addRuntime("C:\\Jdk17\\", "17.0.9", true);
        machine.addRuntime("C:\\Jdk8\\jre\\", nullptr);
        machine.host.files.insert("C:\\Jdk8\\bin\\javac.exe");
        machine.host.textFiles["C:\\Jdk8\\release"] = "JAVA_VERSION=\"1.8.0_402\"\n";
        machine.addRuntime("C:\\Jre8\\", "1.8.0_402");
        machine.addRuntime("C:\\Semeru\\", "21");
        machine.host.textFiles["C:\\Semeru\\release"] += "IMPLEMENTOR=\"IBM Corporation\"\n";
        machine.addRuntime("C:\\Jre32\\", "1.8");
        machine.host.x86Libraries.insert("C:\\Jre32\\bin\\server\\jvm.dll");
        // A registry runtime outside the bounds shows that JAVA_HOME comes after it.
        machine.addRuntime("C:\\Reg\\", nullptr);
        machine.host.addRecord(registryRoots[1], "1.5", "C:\\Reg\\");
        machine.launcher.minVersion = JavaVersion{{1, 6, 0, 0}};
        std::string settings = c.settings;
        if (settings == "max 11")
            machine.launcher.maxVersion = maximumVersionSetting("11");
        if (settings == "min 11")
            machine.launcher.minVersion = minimumVersionSetting("11");
        if (settings == "only_JRE")
            machine.launcher.kindFallback = machine.launcher.jdkWanted = false;
        if (settings == "ibm") {
            machine.launcher.sunRuntimeAdmitted = machine.launcher.sunRuntimeFavored = false;
            machine.launcher.ibmRuntimeAdmitted = true;
        }
        if (settings == "pair")
            machine.launcher.pairProduct = "C:\\App\\tool32.exe";
        if (c.javaHome)
            machine.host.environment["JAVA_HOME"] = c.javaHome;
        EXPECT_EQ(machine.found(), c.expected)
            << c.settings << " " << (c.javaHome ? c.javaHome : "");
        EXPECT_EQ(machine.launcher.usePairedLauncher, settings == "pair") << c.settings;
    }
}

TEST(InventoryFolders, SystemFoldersThenTheUsersToolFolders) {
    std::vector<std::string> system{"/usr/lib/jvm", "/usr/lib64/jvm", "/usr/java",
                                    "/usr/local/java", "/opt/java"};
    EXPECT_EQ(inventoryFolders(""), system);
    std::vector<std::string> withUser = system;
    for (const char* folder :
         {"/home/u/.sdkman/candidates/java", "/home/u/.jdks", "/home/u/.gradle/jdks"})
        withUser.push_back(folder);
    EXPECT_EQ(inventoryFolders("/home/u"), withUser);
    EXPECT_EQ(inventoryFolders("/home/u/"), withUser);
}

} // namespace
