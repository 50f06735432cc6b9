#include "discovery/runtime_search.h"

#include "unit/discovery/fake_runtime_host.h"

#include <gtest/gtest.h>

namespace {

JavaVersion v(int32_t a, int32_t b, int32_t c, int32_t d) {
    return {{a, b, c, d}};
}

// The "JVM Source" flags: jdkWanted, jreWanted, kindFallback.
void setKind(RuntimeRequirements& requirements, bool jdk, bool jre, bool fallback) {
    requirements.jdkWanted = jdk;
    requirements.jreWanted = jre;
    requirements.kindFallback = fallback;
}

// The "VM Provider" flags, admitted and favored per vendor: sun, jrockit, ibm.
void setVendors(RuntimeRequirements& requirements, const bool (&flags)[6]) {
    requirements.sunAdmitted = flags[0];
    requirements.sunFavored = flags[1];
    requirements.jrockitAdmitted = flags[2];
    requirements.jrockitFavored = flags[3];
    requirements.ibmAdmitted = flags[4];
    requirements.ibmFavored = flags[5];
}

// Settings as a file without "JVM Source", "VM Provider" and bounds leaves them.
void setDefaults(RuntimeRequirements& requirements) {
    setKind(requirements, true, true, true);
    requirements.minVersion = JavaVersion::lowest();
    requirements.maxVersion = JavaVersion::highest();
}

TEST(FindVmLibrary, ProbesFlavoursInTheOrderOfTheType) {
    struct Case {
        std::vector<const char*> flavours;
        JvmType type;
        const char* expected; // flavour found, or "" for none
        bool hasServerVm;
    } cases[] = {
        {{"client", "server"}, JvmType::client, "client", false},
        {{"client", "server"}, JvmType::server, "server", true},
        {{"client", "server"}, JvmType::favorServer, "server", true},
        {{"client"}, JvmType::server, "", false},
        {{"client"}, JvmType::favorServer, "client", false},
        {{"server"}, JvmType::client, "server", true},
        {{"hotspot", "classic"}, JvmType::client, "classic", false},
        {{"jrockit", "server"}, JvmType::client, "server", true},
        {{"jrockit"}, JvmType::favorServer, "jrockit", false},
        {{}, JvmType::client, "", false},
    };
    for (const Case& c : cases) {
        FakeRuntimeHost host;
        host.addHome("C:\\J\\", c.flavours);
        bool hasServerVm = false;
        std::string found = findVmLibrary(host, "C:\\J\\", c.type, hasServerVm);
        std::string expected =
            *c.expected ? std::string("C:\\J\\bin\\") + c.expected + "\\jvm.dll" : std::string();
        EXPECT_EQ(found, expected) << c.expected << " for type " << static_cast<int>(c.type);
        EXPECT_EQ(hasServerVm, c.hasServerVm) << c.expected;
    }
}

TEST(FindVmLibrary, APosixHomesFirstLibraryFolderWithAnAcceptedFlavourDecides) {
    FakeRuntimeHost host;
    host.runtimeLayout = &posixRuntimeLayout();
    host.files = {"/j/lib/client/libjvm.so", "/j/jre/lib/amd64/server/libjvm.so"};
    bool hasServerVm = false;
    EXPECT_EQ(findVmLibrary(host, "/j/", JvmType::favorServer, hasServerVm),
              "/j/lib/client/libjvm.so");
    EXPECT_EQ(findVmLibrary(host, "/j/", JvmType::server, hasServerVm),
              "/j/jre/lib/amd64/server/libjvm.so");
    EXPECT_TRUE(hasServerVm);
    // A Java 8 home beside the launcher is known by its marker library one level deeper.
    host.files = {"/jre8/lib/amd64/libjava.so", "/jdk8/jre/lib/amd64/libjava.so"};
    EXPECT_TRUE(isJavaHome(host, "/jre8/"));
    EXPECT_TRUE(isJavaHome(host, "/jdk8/"));
    EXPECT_FALSE(isJavaHome(host, "/jdk8/jre/lib/"));
}

TEST(FindAdjacentRuntime, PrefersTheLauncherFolderOverItsJre64Folder) {
    FakeRuntimeHost host;
    std::string home = "unchanged";
    EXPECT_TRUE(findAdjacentRuntime(host, home));
    EXPECT_EQ(home, "");

    host.addHome("C:\\App\\jre64\\", {"server"});
    EXPECT_TRUE(findAdjacentRuntime(host, home));
    EXPECT_EQ(home, "C:\\App\\jre64\\");

    host.addHome("C:\\App\\", {});
    EXPECT_TRUE(findAdjacentRuntime(host, home));
    EXPECT_EQ(home, "C:\\App\\");

    host.executableKnown = false;
    EXPECT_FALSE(findAdjacentRuntime(host, home));
}

TEST(RegistryRoots, SearchedAndFavoredFollowTheKindAndVendorSettings) {
    const bool defaults[6] = {true, true, false, false, false, false};
    const bool any[6] = {true, false, true, false, true, false};
    const bool jrockit[6] = {false, false, true, true, false, false};
    const bool favorIbm[6] = {true, false, true, false, true, true};
    struct Case {
        const char* name;
        bool jdk, jre, fallback;
        const bool (&vendors)[6];
        const char* searched; // root orders, "12" = roots 1 and 2
        const char* favored;
    } cases[] = {
        {"defaults", true, true, true, defaults, "12", "12"},
        {"favor_JRE", false, true, true, defaults, "12", "2"},
        {"favor_JDK", true, false, true, defaults, "12", "1"},
        {"only_JDK", true, false, false, defaults, "1", "1"},
        {"only_JRE", false, true, false, defaults, "2", "2"},
        {"unrecognised source", false, false, false, defaults, "", ""},
        {"provider any", true, true, true, any, "12345", ""},
        {"provider jrockit", true, true, true, jrockit, "34", "34"},
        {"favor_ibm, only_JRE", false, true, false, favorIbm, "235", "5"},
    };
    for (const Case& c : cases) {
        RuntimeRequirements requirements;
        setKind(requirements, c.jdk, c.jre, c.fallback);
        setVendors(requirements, c.vendors);
        std::string searched, favored;
        for (int order = 1; order <= 5; ++order) {
            if (isRootSearched(requirements, root(order)))
                searched += std::to_string(order);
            if (isRootFavored(requirements, root(order)))
                favored += std::to_string(order);
        }
        EXPECT_EQ(searched, c.searched) << c.name;
        EXPECT_EQ(favored, c.favored) << c.name;
    }
}

TEST(CollectCandidates, AdmitsRecordsWithinTheBoundsThatHoldALibrary) {
    RuntimeRequirements requirements;
    setDefaults(requirements);
    JavaVersion::parse("1.6.0_20", 0, requirements.minVersion);
    JavaVersion::parse("1.8", 65535, requirements.maxVersion);
    FakeRuntimeHost host;
    host.addHome("C:\\J6\\", {"client"});
    host.addHome("C:\\J6u20\\", {"client"});
    host.addHome("C:\\J8\\", {"client"});
    host.addHome("C:\\J9\\", {"client"});
    host.addHome("C:\\Jdk\\jre\\", {"client"});
    host.addRecord(root(2), "1.6", "C:\\J6\\");             // below the minimum
    host.addRecord(root(2), "1.6.0_20", "C:\\J6u20");       // separator appended
    host.addRecord(root(2), "1.8.0_202", "C:\\J8\\");       // within 1.8.65535.65535
    host.addRecord(root(2), "1.9", "C:\\J9\\");             // above the maximum
    host.addRecord(root(2), "1.7", "");                     // empty JavaHome
    host.addRecord(root(2), "1.7.0_80", "C:\\NoLibrary\\"); // no VM library
    host.addRecord(root(1), "1.8.0_100", "C:\\Jdk");        // JDK: its jre\ folder
    host.addRecord(root(1), "1.8.0_101", "C:\\J8\\");       // JDK without jre\ folder: at home

    std::vector<RuntimeCandidate> candidates;
    collectCandidates(requirements, host, root(2), RegistryView::native, candidates);
    collectCandidates(requirements, host, root(1), RegistryView::native, candidates);
    ASSERT_EQ(candidates.size(), 4u);
    EXPECT_EQ(candidates[0].version, v(1, 6, 0, 20));
    EXPECT_EQ(candidates[0].home, "C:\\J6u20\\");
    EXPECT_EQ(candidates[1].version, v(1, 8, 0, 202));
    EXPECT_EQ(candidates[2].home, "C:\\Jdk\\jre\\");
    EXPECT_TRUE(candidates[2].favored);
    EXPECT_EQ(candidates[3].home, "C:\\J8\\");
    EXPECT_EQ(candidates[3].kind, RuntimeKind::jdk);
}

TEST(ReadCandidate, TheJavaSoftJreRootProbesFavorServerAsClient) {
    RuntimeRequirements requirements;
    setDefaults(requirements);
    requirements.jvmType = JvmType::favorServer;
    FakeRuntimeHost host;
    host.addHome("C:\\Jdk\\jre\\", {"client", "server"});
    host.addRecord(root(1), "1.8", "C:\\Jdk\\");
    host.addRecord(root(2), "1.8", "C:\\Jdk\\jre\\");

    RuntimeCandidate throughJdk, throughJre;
    ASSERT_TRUE(
        readCandidate(requirements, host, root(1), "1.8", RegistryView::native, throughJdk));
    ASSERT_TRUE(
        readCandidate(requirements, host, root(2), "1.8", RegistryView::native, throughJre));
    EXPECT_TRUE(throughJdk.hasServerVm);
    EXPECT_FALSE(throughJre.hasServerVm);

    // The final probe takes the server library either way.
    host.registry.erase({root(1).key, RegistryView::native});
    std::optional<RuntimeChoice> choice = locateRuntime(requirements, host);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->jvmPath, "C:\\Jdk\\jre\\bin\\server\\jvm.dll");
}

RuntimeCandidate candidate(const char* version, const char* home, bool server, bool favored) {
    RuntimeCandidate c;
    JavaVersion::parse(version, 0, c.version);
    c.home = home;
    c.hasServerVm = server;
    c.favored = favored;
    return c;
}

std::string homes(const std::vector<RuntimeCandidate>& candidates) {
    std::string text;
    for (const RuntimeCandidate& c : candidates)
        text += c.home;
    return text;
}

TEST(SortCandidates, OrdersByFavorThenServerThenVersionAndKeepsTies) {
    const std::vector<RuntimeCandidate> collected = {
        candidate("1.7", "a", false, false),  candidate("1.8", "b", true, false),
        candidate("1.6", "c", true, true),    candidate("1.8", "d", false, true),
        candidate("1.8.0", "e", false, true),
    };
    struct Case {
        bool fallback;
        JvmType type;
        const char* order;
    } cases[] = {
        {true, JvmType::client, "decba"},
        {true, JvmType::favorServer, "cdeba"},
        {false, JvmType::client, "bdeac"},
        {false, JvmType::favorServer, "bcdea"},
    };
    for (const Case& c : cases) {
        RuntimeRequirements requirements;
        requirements.kindFallback = c.fallback;
        requirements.jvmType = c.type;
        std::vector<RuntimeCandidate> sorted = collected;
        sortCandidates(requirements, sorted);
        EXPECT_EQ(homes(sorted), c.order) << c.fallback << static_cast<int>(c.type);
    }
}

TEST(ChooseCandidate, TriesPreferredVersionsInTheirOrder) {
    const std::vector<RuntimeCandidate> sorted = {candidate("1.8.0_202", "a", false, true),
                                                  candidate("1.8.0_45", "b", false, true),
                                                  candidate("1.7.0_80", "c", false, true)};
    struct Case {
        std::vector<std::string> preferred;
        const char* chosen;
    } cases[] = {
        {{}, "a"},
        {{"1.7", "1.8"}, "c"},
        {{"1.6", "1.8"}, "a"},
        {{"1.8.0_45"}, "b"},
        {{"1.5", "11"}, "a"},
        {{"1.5", ""}, "a"}, // an empty entry matches every runtime
        {{"none"}, "a"},    // no digits: the pattern 0.0.0.0 matches every runtime
    };
    for (const Case& c : cases) {
        RuntimeRequirements requirements;
        requirements.preferredVersions = c.preferred;
        EXPECT_EQ(chooseCandidate(requirements, sorted).home, c.chosen) << c.preferred.size();
    }
}

class LocateRuntime : public testing::Test {
  protected:
    void SetUp() override {
        setDefaults(requirements);
        host.addHome("C:\\Reg8\\", {"client"});
        host.addRecord(root(2), "1.8.0_202", "C:\\Reg8\\");
    }

    // The search's answer; a default choice when it found nothing.
    bool locate() {
        std::optional<RuntimeChoice> found = locateRuntime(requirements, host);
        choice = found.value_or(RuntimeChoice());
        return found.has_value();
    }

    RuntimeRequirements requirements;
    FakeRuntimeHost host;
    RuntimeChoice choice;
};

TEST_F(LocateRuntime, JrePathComesFirstWhateverTheBounds) {
    host.addHome("C:\\Java\\jre7\\", {"client"});
    requirements.jrePath = "C:\\Java\\jre7";
    JavaVersion::parse("1.8", 0, requirements.minVersion);
    ASSERT_TRUE(locate());
    EXPECT_EQ(choice.jvmPath, "C:\\Java\\jre7\\bin\\client\\jvm.dll");

    requirements.jrePath = "C:\\Java\\jre7\\";
    ASSERT_TRUE(locate());
    EXPECT_EQ(choice.jvmPath, "C:\\Java\\jre7\\bin\\client\\jvm.dll");
}

TEST_F(LocateRuntime, FallsThroughSourcesWithoutALibrary) {
    requirements.jrePath = "C:\\Empty";
    host.files.insert("C:\\App\\bin\\java.dll"); // a home beside the launcher, but no VM
    ASSERT_TRUE(locate());
    EXPECT_EQ(choice.jvmPath, "C:\\Reg8\\bin\\client\\jvm.dll");
    EXPECT_FALSE(choice.usePairedLauncher);
}

TEST_F(LocateRuntime, TheRuntimeBesideTheLauncherComesBeforeTheRegistry) {
    host.addHome("C:\\App\\jre64\\", {"server"});
    host.x86Libraries.insert("C:\\App\\jre64\\bin\\server\\jvm.dll");
    requirements.pairProductSet = true;
    ASSERT_TRUE(locate());
    EXPECT_EQ(choice.jvmPath, "C:\\App\\jre64\\bin\\server\\jvm.dll");
    // Its image kind is never looked at.
    EXPECT_FALSE(choice.usePairedLauncher);
    EXPECT_TRUE(host.openedLibraries.empty());
}

TEST_F(LocateRuntime, AnEmptyAdjacentHomeIsNotProbedAgainstTheCurrentFolder) {
    host.registry.clear();
    host.files.insert("bin\\client\\jvm.dll");
    EXPECT_FALSE(locate());
}

TEST_F(LocateRuntime, AJrePathLibraryIsCheckedOnlyWithAPairProduct) {
    host.addHome("C:\\Jre32\\", {"client"});
    host.x86Libraries.insert("C:\\Jre32\\bin\\client\\jvm.dll");
    requirements.jrePath = "C:\\Jre32\\";
    ASSERT_TRUE(locate());
    EXPECT_FALSE(choice.usePairedLauncher);
    EXPECT_TRUE(host.openedLibraries.empty());

    requirements.pairProductSet = true;
    ASSERT_TRUE(locate());
    EXPECT_TRUE(choice.usePairedLauncher);
    EXPECT_EQ(host.openedLibraries, std::vector<std::string>{"C:\\Jre32\\bin\\client\\jvm.dll"});
}

TEST_F(LocateRuntime, TheX86ViewIsReadOnlyWithAPairProductAndMeansThePairedLauncher) {
    host.registry.clear();
    host.addHome("C:\\X86\\", {"client"});
    host.addRecord(root(2), "1.8", "C:\\X86\\", RegistryView::x86);
    EXPECT_FALSE(locate());
    EXPECT_EQ(host.enumeratedViews, std::set<RegistryView>{RegistryView::native});

    requirements.pairProductSet = true;
    ASSERT_TRUE(locate());
    EXPECT_EQ(choice.jvmPath, "C:\\X86\\bin\\client\\jvm.dll");
    EXPECT_TRUE(choice.usePairedLauncher);
    EXPECT_TRUE(host.openedLibraries.empty());
}

TEST_F(LocateRuntime, TheNativeViewWinsOverTheX86View) {
    host.addHome("C:\\X86\\", {"client"});
    host.addRecord(root(2), "11", "C:\\X86\\", RegistryView::x86);
    requirements.pairProductSet = true;
    ASSERT_TRUE(locate());
    EXPECT_EQ(choice.jvmPath, "C:\\Reg8\\bin\\client\\jvm.dll");
    EXPECT_FALSE(choice.usePairedLauncher);
    EXPECT_EQ(host.enumeratedViews, std::set<RegistryView>{RegistryView::native});
}

TEST_F(LocateRuntime, DefaultSettingsTakeTheNewestOfBothJavaSoftRoots) {
    host.addHome("C:\\Jdk11\\jre\\", {"server"});
    host.addRecord(root(1), "11.0.2", "C:\\Jdk11\\");
    host.addHome("C:\\Ibm\\", {"client"});
    host.addRecord(root(5), "17", "C:\\Ibm\\");
    ASSERT_TRUE(locate());
    EXPECT_EQ(choice.jvmPath, "C:\\Jdk11\\jre\\bin\\server\\jvm.dll");

    setKind(requirements, false, true, true); // favor_JRE: the older JRE wins
    ASSERT_TRUE(locate());
    EXPECT_EQ(choice.jvmPath, "C:\\Reg8\\bin\\client\\jvm.dll");
}

TEST_F(LocateRuntime, TwoSubkeysWithOneHomeAreTwoCandidates) {
    host.addRecord(root(2), "1.8", "C:\\Reg8\\");
    requirements.preferredVersions = {"1.8.0_202"};
    ASSERT_TRUE(locate());
    EXPECT_EQ(choice.jvmPath, "C:\\Reg8\\bin\\client\\jvm.dll");
    std::vector<RuntimeCandidate> candidates;
    collectCandidates(requirements, host, root(2), RegistryView::native, candidates);
    sortCandidates(requirements, candidates);
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[0].version, v(1, 8, 0, 202));
    EXPECT_EQ(candidates[1].version, v(1, 8, 0, 0));
}

} // namespace
