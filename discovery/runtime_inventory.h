#pragma once

// POSIX has no registry of installed runtimes. Instead the search takes an inventory: every
// folder directly below the inventory folders that holds a "release" file is a runtime. Its
// version is the file's JAVA_VERSION; it is a JDK when it has bin/javac; its vendor (and so
// its registry root) comes from IMPLEMENTOR and JVM_VARIANT; its view from OS_ARCH (32-bit
// x86 runtimes are the ones only a paired launcher can load). The records then go through
// the same filter, ranking and choice as the registry's.

#include "discovery/runtime_host.h"

#include <string>
#include <vector>

class Launcher;

// The fields of a runtime's "release" file that the inventory reads (quotes removed).
struct ReleaseInfo {
    std::string javaVersion;
    std::string implementor;
    std::string jvmVariant;
    std::string osArch;
};

// Reads KEY="value" lines; other lines and other keys are passed over.
ReleaseInfo parseReleaseFile(const std::string& text);
// The root whose records the runtime joins: IBM or OpenJ9 builds the IBM root, JRockit the
// JRockit roots, every other vendor the JavaSoft roots (by kind).
const RegistryRoot& inventoryRoot(const ReleaseInfo& release, bool isJdk);
// 32-bit x86 runtimes form the 32-bit view; every other the native view.
RegistryView inventoryView(const ReleaseInfo& release);

// The system folders /usr/lib/jvm, /usr/lib64/jvm, /usr/java, /usr/local/java and /opt/java,
// then the folders below the user's home where tools unpack runtimes (SDKMAN!, IntelliJ IDEA,
// Gradle). Without a home only the system folders.
std::vector<std::string> inventoryFolders(const std::string& userHome);

// POSIX only: the whole search with the inventory taken from the given folders instead of
// the standard ones (the runtime tests point it at folders of fake runtimes).
bool locateRuntimeInFolders(Launcher& launcher, const std::vector<std::string>& folders);
