#include "discovery/runtime_filter.h"

#include "launch/launcher.h"

namespace {

bool kindWanted(const Launcher& launcher, RuntimeKind kind) {
    switch (kind) {
    case RuntimeKind::jdk:
        return launcher.jdkWanted;
    case RuntimeKind::jre:
        return launcher.jreWanted;
    case RuntimeKind::byContents:
        break;
    }
    return launcher.jdkWanted || launcher.jreWanted;
}

bool vendorAdmitted(const Launcher& launcher, RuntimeVendor vendor) {
    switch (vendor) {
    case RuntimeVendor::sun:
        return launcher.sunRuntimeAdmitted || launcher.sunRuntimeFavored;
    case RuntimeVendor::jrockit:
        return launcher.jrockitRuntimeAdmitted || launcher.jrockitRuntimeFavored;
    case RuntimeVendor::ibm:
        break;
    }
    return launcher.ibmRuntimeAdmitted || launcher.ibmRuntimeFavored;
}

bool vendorFavored(const Launcher& launcher, RuntimeVendor vendor) {
    switch (vendor) {
    case RuntimeVendor::sun:
        return launcher.sunRuntimeFavored;
    case RuntimeVendor::jrockit:
        return launcher.jrockitRuntimeFavored;
    case RuntimeVendor::ibm:
        break;
    }
    return launcher.ibmRuntimeFavored;
}

} // namespace

const char* kindName(RuntimeKind kind) {
    switch (kind) {
    case RuntimeKind::jdk:
        return "JDK";
    case RuntimeKind::jre:
        return "JRE";
    case RuntimeKind::byContents:
        break;
    }
    return "JDK or JRE";
}

const char* vendorName(RuntimeVendor vendor) {
    switch (vendor) {
    case RuntimeVendor::sun:
        return "JavaSoft";
    case RuntimeVendor::jrockit:
        return "JRockit";
    case RuntimeVendor::ibm:
        break;
    }
    return "IBM";
}

const char* viewName(RegistryView view) {
    return view == RegistryView::native ? "native view" : "32-bit view";
}

const char* typeName(JvmType type) {
    switch (type) {
    case JvmType::server:
        return "server";
    case JvmType::favorServer:
        return "favor_server";
    case JvmType::client:
        break;
    }
    return "client";
}

std::string describe(const RuntimeCandidate& candidate) {
    return toString(candidate.version) + ", " + kindName(candidate.kind) + ", " +
           vendorName(candidate.vendor) + ", home " + candidate.home;
}

std::string rootLabel(const RegistryRoot& root, RegistryView view) {
    std::string label = root.key;
    if (*root.record)
        label += std::string("*\\") + root.record;
    return label + " (" + viewName(view) + ")";
}

std::string recordName(const RegistryRoot& root, const std::string& subkey) {
    std::string name = root.key + subkey;
    return *root.record ? name + "\\" + root.record : name;
}

bool isSearched(const Launcher& launcher, RuntimeKind kind, RuntimeVendor vendor) {
    return (launcher.kindFallback || kindWanted(launcher, kind)) &&
           vendorAdmitted(launcher, vendor);
}

bool isFavored(const Launcher& launcher, RuntimeKind kind, RuntimeVendor vendor) {
    return kindWanted(launcher, kind) && vendorFavored(launcher, vendor);
}

bool isInBounds(const Launcher& launcher, const JavaVersion& version) {
    return compare(version, launcher.maxVersion) <= 0 && compare(version, launcher.minVersion) >= 0;
}

std::string rejection(const Launcher& launcher, const JavaVersion& version) {
    if (compare(version, launcher.maxVersion) > 0)
        return "version " + toString(version) + " above the maximum " +
               toString(launcher.maxVersion);
    if (compare(version, launcher.minVersion) < 0)
        return "version " + toString(version) + " below the minimum " +
               toString(launcher.minVersion);
    return {};
}

std::string rejection(const Launcher& launcher, const RuntimeCandidate& candidate) {
    std::string reason = rejection(launcher, candidate.version);
    if (!reason.empty())
        return reason;
    if (!vendorAdmitted(launcher, candidate.vendor))
        return std::string("\"VM Provider\" does not admit ") + vendorName(candidate.vendor) +
               " runtimes";
    return std::string("\"JVM Source\" does not admit a ") + kindName(candidate.kind);
}
