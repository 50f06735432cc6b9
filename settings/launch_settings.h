#pragma once

// What the reading step found in the settings: the record loadSettings returns. The defaults
// are those of a settings file that leaves the key out (where the key is read at all).

#include "support/java_version.h"
#include "support/jvm_type.h"

#include <string>
#include <vector>

// "Product Name" and "Product Code": they name the per-user settings folder.
struct ProductIdentity {
    std::string name;
    std::string code;
};

// Which runtimes the search admits and how it ranks them.
struct RuntimeRequirements {
    JavaVersion minVersion;
    JavaVersion maxVersion;
    std::vector<std::string> preferredVersions;
    std::string jrePath;
    JvmType jvmType = JvmType::client;
    bool jdkWanted = false;
    bool jreWanted = false;
    bool kindFallback = true;
    bool jrockitAdmitted = false;
    bool sunAdmitted = true;
    bool ibmAdmitted = false;
    bool jrockitFavored = false;
    bool sunFavored = true;
    bool ibmFavored = false;
    // A "Pair Product" is set: 32-bit x86 runtimes are admitted, for it to run.
    bool pairProductSet = false;
};

struct LaunchSettings {
    ProductIdentity product;
    RuntimeRequirements runtime;
    std::string mainClassName; // with "/" for "."
    bool isService = false;
    bool singleInstance = false;
    bool showExceptionDialog = false;
    bool overrideWorkingDir = false;
    std::string systemPath;
    std::string libraryPath;
    std::string pairProduct;
    bool pairReturnCode = false;
};
