#pragma once

// The launcher's environment for the chosen runtime, set on the first thread before the VM
// starts (the portable pieces are in support/process_environment.h).

#include <string>

// JL_JVM_PATH and JL_JVM_HOME from jvmPath.
void setJvmVariables(const std::string& jvmPath);
// At the start of run, with jvmPath known: setJvmVariables; the search variable becomes the
// completed, expanded systemPath. Returns "-Djava.library.path=" with the completed, expanded
// libraryPath, which must be the first VM option; empty when libraryPath is empty.
std::string prepareEnvironment(const std::string& jvmPath, const std::string& systemPath,
                               const std::string& libraryPath);
