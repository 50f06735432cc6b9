#pragma once

// Which installed runtimes the settings admit and favor ("JVM Source", "VM Provider" and the
// version bounds), and the texts that name runtimes and sources in the diagnostic trace.

#include "discovery/runtime_search.h"
#include "settings/launch_settings.h"

#include <string>

// The kind (byContents: either kind) and vendor are wanted and admitted.
bool isSearched(const RuntimeRequirements& requirements, RuntimeKind kind, RuntimeVendor vendor);
// The kind is wanted and the vendor favored.
bool isFavored(const RuntimeRequirements& requirements, RuntimeKind kind, RuntimeVendor vendor);
// Neither above "Maximum Version" nor below "Minimum Version".
bool isInBounds(const RuntimeRequirements& requirements, const JavaVersion& version);
// Why a version is outside the bounds; empty when it is not.
std::string rejection(const RuntimeRequirements& requirements, const JavaVersion& version);
// Why the candidate's version is outside the bounds, or else which setting keeps out its kind
// or vendor.
std::string rejection(const RuntimeRequirements& requirements, const RuntimeCandidate& candidate);

const char* kindName(RuntimeKind kind);
const char* vendorName(RuntimeVendor vendor);
const char* viewName(RegistryView view);
const char* typeName(JvmType type);
// "17.0.9, JDK, JavaSoft, home C:\Java\jdk-17\"
std::string describe(const RuntimeCandidate& candidate);
// A root and view as the trace names them; "*" stands for the version subkey.
std::string rootLabel(const RegistryRoot& root, RegistryView view);
// The key of one record below HKEY_LOCAL_MACHINE.
std::string recordName(const RegistryRoot& root, const std::string& subkey);
