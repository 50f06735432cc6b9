#include "launch/run_environment.h"

#include "support/paths.h"
#include "support/process_environment.h"
#include "support/trace.h"

namespace {

void setTracedVariable(const std::string& name, const std::string& value) {
    if (isTracing())
        traceLine("environment: " + name + "=" + value);
    writeEnvironmentVariable(name, value);
}

} // namespace

void setJvmVariables(const std::string& jvmPath) {
    setTracedVariable("JL_JVM_PATH", jvmPath);
    setTracedVariable("JL_JVM_HOME", runtimeHome(jvmPath, hostPathStyle()));
}

std::string prepareEnvironment(const std::string& jvmPath, const std::string& systemPath,
                               const std::string& libraryPath) {
    const EnvironmentStyle& style = hostEnvironmentStyle();
    std::string ignored;
    setJvmVariables(jvmPath);
    std::string libraryOption;
    if (!libraryPath.empty()) {
        std::string folder;
        if (!launcherFolder(folder))
            folder.clear();
        std::string completed =
            completeLibraryPath(libraryPath, folder, jvmPath,
                                readEnvironmentVariable(style.libraryVariable, ignored), style);
        expandEnvironment(completed);
        libraryOption = narrowOptionText("-Djava.library.path=" + completed);
    }
    std::string searchPath = completeSearchPath(
        systemPath, jvmPath, readEnvironmentVariable(style.searchVariable, ignored), style);
    expandEnvironment(searchPath);
    setTracedVariable(style.searchVariable, searchPath);
    return libraryOption;
}
