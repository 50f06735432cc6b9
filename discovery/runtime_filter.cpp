#include "discovery/runtime_filter.h"

namespace {

bool kindWanted(const RuntimeRequirements& requirements, RuntimeKind kind) {
    switch (kind) {
    case RuntimeKind::jdk:
        return requirements.jdkWanted;
    case RuntimeKind::jre:
        return requirements.jreWanted;
    case RuntimeKind::byContents:
        break;
    }
    return requirements.jdkWanted || requirements.jreWanted;
}

bool vendorAdmitted(const RuntimeRequirements& requirements, RuntimeVendor vendor) {
    switch (vendor) {
    case RuntimeVendor::sun:
        return requirements.sunAdmitted || requirements.sunFavored;
    case RuntimeVendor::jrockit:
        return requirements.jrockitAdmitted || requirements.jrockitFavored;
    case RuntimeVendor::ibm:
        break;
    }
    return requirements.ibmAdmitted || requirements.ibmFavored;
}

bool vendorFavored(const RuntimeRequirements& requirements, RuntimeVendor vendor) {
    switch (vendor) {
    case RuntimeVendor::sun:
        return requirements.sunFavored;
    case RuntimeVendor::jrockit:
        return requirements.jrockitFavored;
    case RuntimeVendor::ibm:
        break;
    }
    return requirements.ibmFavored;
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

bool isSearched(const RuntimeRequirements& requirements, RuntimeKind kind, RuntimeVendor vendor) {
    return (requirements.kindFallback || kindWanted(requirements, kind)) &&
           vendorAdmitted(requirements, vendor);
}

bool isFavored(const RuntimeRequirements& requirements, RuntimeKind kind, RuntimeVendor vendor) {
    return kindWanted(requirements, kind) && vendorFavored(requirements, vendor);
}

bool isInBounds(const RuntimeRequirements& requirements, const JavaVersion& version) {
    return compare(version, requirements.maxVersion) <= 0 &&
           compare(version, requirements.minVersion) >= 0;
}

std::string rejection(const RuntimeRequirements& requirements, const JavaVersion& version) {
    if (compare(version, requirements.maxVersion) > 0)
        return "version " + toString(version) + " above the maximum " +
               toString(requirements.maxVersion);
    if (compare(version, requirements.minVersion) < 0)
        return "version " + toString(version) + " below the minimum " +
               toString(requirements.minVersion);
    return {};
}

std::string rejection(const RuntimeRequirements& requirements, const RuntimeCandidate& candidate) {
    std::string reason = rejection(requirements, candidate.version);
    if (!reason.empty())
        return reason;
    if (!vendorAdmitted(requirements, candidate.vendor))
        return std::string("\"VM Provider\" does not admit ") + vendorName(candidate.vendor) +
               " runtimes";
    return std::string("\"JVM Source\" does not admit a ") + kindName(candidate.kind);
}
