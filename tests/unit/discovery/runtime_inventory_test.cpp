#include "discovery/runtime_inventory.h"

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

TEST(InventoryRoot, FollowsVendorAndKind) {
    struct Case {
        const char* implementor;
        const char* variant;
        bool jdk;
        const char* root;
    } cases[] = {
        {"Debian", "", true, "Software\\JavaSoft\\Java Development Kit\\"},
        {"Eclipse Adoptium", "Hotspot", false, "Software\\JavaSoft\\Java Runtime Environment\\"},
        {"IBM Corporation", "", true, "Software\\IBM\\Java2 Runtime Environment\\"},
        {"Eclipse Foundation", "OpenJ9", false, "Software\\IBM\\Java2 Runtime Environment\\"},
        {"Oracle JRockit", "", true, "Software\\JRockit\\Java Development Kit\\"},
        {"BEA", "jrockit", false, "Software\\JRockit\\Java Runtime Environment\\"},
    };
    for (const Case& c : cases) {
        ReleaseInfo release;
        release.implementor = c.implementor;
        release.jvmVariant = c.variant;
        EXPECT_STREQ(inventoryRoot(release, c.jdk).key, c.root) << c.implementor;
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

} // namespace
