#include "discovery/runtime_search.h"

#include "unit/discovery/fake_runtime_host.h"

#include <gtest/gtest.h>

#include <iterator>

namespace {

// A machine with one runtime at C:\R\: its libraries, and a release file when version is set.
struct Machine {
    RuntimeRequirements requirements;
    FakeRuntimeHost host;
    RuntimeChoice choice;

    Machine() {
        requirements.jdkWanted = requirements.jreWanted = true;
        requirements.maxVersion = JavaVersion::highest();
    }
    void admitEveryVendor() {
        requirements.sunFavored = requirements.jrockitFavored = false;
        requirements.ibmFavored = false;
        requirements.sunAdmitted = requirements.jrockitAdmitted = true;
        requirements.ibmAdmitted = true;
    }
    void addRuntime(const std::string& home, const char* version, bool jdk = false) {
        host.addHome(home, {"server"});
        if (version)
            host.textFiles[home + "release"] = std::string("JAVA_VERSION=\"") + version + "\"\n";
        if (jdk)
            host.files.insert(home + "bin\\javac.exe");
    }
    std::string found() {
        std::optional<RuntimeChoice> located = locateRuntime(requirements, host);
        choice = located.value_or(RuntimeChoice());
        return located ? choice.jvmPath : std::string("none");
    }
};

// Each root alone; that filters and ranks like any other is proved under Wine.
TEST(CurrentRegistryRoots, EachGivesItsKindVendorAndTheReleaseFilesVersion) {
    using K = RuntimeKind;
    using V = RuntimeVendor;
    const std::pair<RuntimeKind, RuntimeVendor> expected[] =
        {
            {K::jdk, V::sun}, {K::jre, V::sun}, {K::jdk, V::sun}, {K::jre, V::sun},
            {K::jdk, V::sun}, {K::jdk, V::sun}, {K::jdk, V::ibm}, {K::jre, V::sun},
            {K::jre, V::ibm}, {K::jdk, V::sun}, {K::jdk, V::ibm}, {K::jre, V::ibm},
            {K::jre, V::sun}, // Zulu: a home without the compiler is a JRE
        };
    ASSERT_EQ(std::size(expected), std::size(currentRegistryRoots));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const RegistryRoot& root = currentRegistryRoots[i];
        Machine machine;
        machine.admitEveryVendor();
        machine.addRuntime("C:\\R\\", "17.0.9"); // the subkey says 17, the release file decides
        machine.host.addRecord(root, "17", "C:\\R");
        std::vector<RuntimeCandidate> candidates;
        collectCandidates(machine.requirements, machine.host, root, RegistryView::native,
                          candidates);
        ASSERT_EQ(candidates.size(), 1u) << root.key << root.record;
        EXPECT_EQ(candidates[0].home, "C:\\R\\") << root.key;
        EXPECT_EQ(candidates[0].version, (JavaVersion{{17, 0, 9, 0}})) << root.key;
        EXPECT_EQ(candidates[0].kind, expected[i].first) << root.key << root.record;
        EXPECT_EQ(candidates[0].vendor, expected[i].second) << root.key << root.record;
    }
}

TEST(CurrentRegistryRoots, ZuluRecordsAreNamedByProductAndTakeTheirKindFromTheHome) {
    Machine machine;
    const RegistryRoot& zulu = currentRegistryRoots[std::size(currentRegistryRoots) - 1];
    machine.addRuntime("C:\\Zulu21\\", nullptr, true); // no release file: the name's version
    machine.addRuntime("C:\\Zulu17\\", "17.0.2");      // a JRE
    machine.host.addRecord(zulu, "zulu-21", "C:\\Zulu21\\");
    machine.host.addRecord(zulu, "zulu-17-jre", "C:\\Zulu17\\");
    machine.host.addRecord(zulu, "zulu-8", ""); // no InstallationPath
    EXPECT_EQ(machine.found(), "C:\\Zulu21\\bin\\server\\jvm.dll");
    machine.requirements.kindFallback = machine.requirements.jdkWanted = false; // only_JRE
    EXPECT_EQ(machine.found(), "C:\\Zulu17\\bin\\server\\jvm.dll");
    machine.requirements.maxVersion = maximumVersionSetting("17.0.1");
    EXPECT_EQ(machine.found(), "none");
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
        machine.requirements.minVersion = JavaVersion{{1, 6, 0, 0}};
        std::string settings = c.settings;
        if (settings == "max 11")
            machine.requirements.maxVersion = maximumVersionSetting("11");
        if (settings == "min 11")
            machine.requirements.minVersion = minimumVersionSetting("11");
        if (settings == "only_JRE")
            machine.requirements.kindFallback = machine.requirements.jdkWanted = false;
        if (settings == "ibm") {
            machine.requirements.sunAdmitted = machine.requirements.sunFavored = false;
            machine.requirements.ibmAdmitted = true;
        }
        if (settings == "pair")
            machine.requirements.pairProductSet = true;
        if (c.javaHome)
            machine.host.environment["JAVA_HOME"] = c.javaHome;
        EXPECT_EQ(machine.found(), c.expected)
            << c.settings << " " << (c.javaHome ? c.javaHome : "");
        EXPECT_EQ(machine.choice.usePairedLauncher, settings == "pair") << c.settings;
    }
}

} // namespace
