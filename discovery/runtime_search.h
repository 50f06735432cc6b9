#pragma once

// Finds the VM library the launcher loads. Five sources in a fixed order, the first that
// yields a library wins: "JRE Path", a runtime beside the launcher, the installed runtimes
// in the native view and, only with a pair product, those of the 32-bit view, and last the
// runtime that JAVA_HOME names. Runs once on the first thread during initialize; nothing here
// is reported to the user, but every step goes to the diagnostic trace (support/trace.h).

#include "discovery/runtime_choice.h"
#include "discovery/runtime_host.h"
#include "settings/launch_settings.h"
#include "support/java_version.h"
#include "support/jvm_type.h"

#include <optional>
#include <string>
#include <vector>

// Searches this machine for a runtime the requirements admit. When no source yields a library
// the user is asked for a folder (discovery/missing_runtime.h); nullopt when the user cancels
// or cannot be asked.
std::optional<RuntimeChoice> locateRuntime(const RuntimeRequirements& requirements);
// The same search against the machine that host describes, without asking the user: nullopt
// when no source yields a library.
std::optional<RuntimeChoice> locateRuntime(const RuntimeRequirements& requirements,
                                           RuntimeHost& host);

// One accepted installed-runtime record.
struct RuntimeCandidate {
    JavaVersion version;
    std::string home; // ends in the separator; a JDK's runtime folder for the JDK roots
    bool hasServerVm = false;
    bool favored = false;
    RuntimeKind kind = RuntimeKind::jre;
    RuntimeVendor vendor = RuntimeVendor::sun;
};

// The first VM library below home that type accepts (home ends in the separator); empty when
// none. hasServerVm is set only when a library is found.
std::string findVmLibrary(RuntimeHost& host, const std::string& home, JvmType type,
                          bool& hasServerVm);
// The folder (ending in the separator) holds the runtime's marker library.
bool isJavaHome(RuntimeHost& host, const std::string& folder);
// The launcher's folder or its private runtime folder when either is a Java home, else
// empty. False only when the executable's path cannot be had.
bool findAdjacentRuntime(RuntimeHost& host, std::string& home);

// The home holds the compiler.
bool isJdkHome(RuntimeHost& host, const std::string& home);
// Where a JDK installed at home keeps its runtime: its jre folder when it has one (up to
// Java 8), else home itself.
std::string jdkRuntimeHome(RuntimeHost& host, const std::string& home);

// The settings conditions of the roots table.
bool isRootSearched(const RuntimeRequirements& requirements, const RegistryRoot& root);
bool isRootFavored(const RuntimeRequirements& requirements, const RegistryRoot& root);

// The home of the best installed runtime of one view; false when none is admitted.
bool searchRegistry(const RuntimeRequirements& requirements, RuntimeHost& host, RegistryView view,
                    std::string& home);
// The home of the best runtime below the folders (POSIX): a native one, else, only with a pair
// product, a 32-bit x86 one (forPair). False when none is admitted.
bool searchInventory(const RuntimeRequirements& requirements, RuntimeHost& host,
                     const std::vector<std::string>& folders, std::string& home, bool& forPair);
// The VM library of the runtime JAVA_HOME names, when the bounds, "JVM Source" and "VM
// Provider" admit it (version from its release file, vendor as the inventory reads it).
bool searchJavaHome(const RuntimeRequirements& requirements, RuntimeHost& host,
                    std::string& jvmPath);
// Appends the admitted records of one root, in enumeration order.
void collectCandidates(const RuntimeRequirements& requirements, RuntimeHost& host,
                       const RegistryRoot& root, RegistryView view,
                       std::vector<RuntimeCandidate>& candidates);
// The candidate of one subkey: false without a "JavaHome" or without a VM library there.
bool readCandidate(const RuntimeRequirements& requirements, RuntimeHost& host,
                   const RegistryRoot& root, const std::string& subkey, RegistryView view,
                   RuntimeCandidate& candidate);
// Stable: favored first (only with the kind fallback), server-capable first (only for
// favor_server), then the higher version.
void sortCandidates(const RuntimeRequirements& requirements,
                    std::vector<RuntimeCandidate>& candidates);
// The first sorted candidate that matches a preferred version, tried in preference order;
// else the top one. candidates must not be empty.
const RuntimeCandidate& chooseCandidate(const RuntimeRequirements& requirements,
                                        const std::vector<RuntimeCandidate>& candidates);
