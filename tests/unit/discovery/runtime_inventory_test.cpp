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

} // namespace
