#include "launch/run_environment.h"

#include "launch/launcher.h"
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

void setJvmVariables(const Launcher& launcher) {
    setTracedVariable("JL_JVM_PATH", launcher.jvmPath);
    setTracedVariable("JL_JVM_HOME", runtimeHome(launcher.jvmPath, hostPathStyle()));
}

void prepareEnvironment(Launcher& launcher) {
    const EnvironmentStyle& style = hostEnvironmentStyle();
    std::string ignored;
    setJvmVariables(launcher);
    if (!launcher.libraryPath.empty()) {
        std::string folder;
        if (!launcherFolder(folder))
            folder.clear();
        launcher.libraryPath =
            completeLibraryPath(launcher.libraryPath, folder, launcher.jvmPath,
                                readEnvironmentVariable(style.libraryVariable, ignored), style);
        expandEnvironment(launcher.libraryPath);
        launcher.vmOptions.push_back(
            narrowOptionText("-Djava.library.path=" + launcher.libraryPath));
    }
    std::string searchPath =
        completeSearchPath(launcher.systemPath, launcher.jvmPath,
                           readEnvironmentVariable(style.searchVariable, ignored), style);
    expandEnvironment(searchPath);
    setTracedVariable(style.searchVariable, searchPath);
}
