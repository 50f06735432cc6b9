#pragma once

// POSIX has no registry of installed runtimes. Instead the search takes an inventory: every
// folder directly below the inventory folders that holds a "release" file is a runtime. Its
// version is the file's JAVA_VERSION; it is a JDK when it has bin/javac; its vendor comes from
// IMPLEMENTOR and JVM_VARIANT; its view from OS_ARCH (32-bit x86 runtimes are the ones only a
// paired launcher can load). The runtimes then go through the same filter, ranking and choice
// as the registry's records.

#include "discovery/runtime_host.h"
#include "discovery/runtime_search.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

// The fields of a runtime's "release" file that the inventory reads (quotes removed).
struct ReleaseInfo {
    std::string javaVersion;
    std::string implementor;
    std::string jvmVariant;
    std::string osArch;
};

// Reads KEY="value" lines; other lines and other keys are passed over.
ReleaseInfo parseReleaseFile(const std::string& text);
// IBM or OpenJ9 builds count as the IBM vendor, JRockit builds as JRockit, every other as
// JavaSoft. The kind comes from the folder (the compiler), never from the vendor.
RuntimeVendor inventoryVendor(const ReleaseInfo& release);
// 32-bit x86 runtimes form the 32-bit view; every other the native view.
RegistryView inventoryView(const ReleaseInfo& release);

// A runtime that the scan found: version, home, kind and vendor of its candidate are set.
struct InstalledRuntime {
    RuntimeCandidate candidate;
    RegistryView view = RegistryView::native;
};
// Every runtime directly below the folders (each ending in the separator), in folder order
// and then in byte order of the names, handed to found as the scan meets it. Traces each
// folder and each entry that is no runtime, with the reason.
void scanRuntimeFolders(RuntimeHost& host, const std::vector<std::string>& folders,
                        const std::function<void(InstalledRuntime&)>& found);

// The system folders /usr/lib/jvm, /usr/lib64/jvm, /usr/java, /usr/local/java and /opt/java,
// then the folders below the user's home where tools unpack runtimes (SDKMAN!, IntelliJ IDEA,
// Gradle). Without a home only the system folders.
std::vector<std::string> inventoryFolders(const std::string& userHome);

// POSIX only: the whole search with the inventory taken from the given folders instead of
// the standard ones (the runtime tests point it at folders of fake runtimes).
std::optional<RuntimeChoice> locateRuntimeInFolders(const RuntimeRequirements& requirements,
                                                    const std::vector<std::string>& folders);
