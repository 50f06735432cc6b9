#pragma once

// The one launcher object of the process: it owns every piece of launch state.
// WinMain / main construct it on the stack; while it exists it shows the system failures that
// lower layers report (support/failure_report.h). initialize -> run -> shutdown, all on the
// first thread; see launcher.cpp for the order and the exit codes.

#include "instance/instance_state.h"
#include "splash/splash_state.h"
#include "support/java_version.h"
#include "support/jvm_type.h"
#include "support/os_handle.h"
#include "vmhost/vm_session.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct LaunchSettings;
class ClassDataPublisher;

// Exit codes of the process that the launch sequence itself produces.
constexpr int exitCodeSuccess = 0;
constexpr int exitCodeFailure = -1;

class Launcher {
  public:
    Launcher();
    ~Launcher();
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // Everything that must succeed before anything is shown. False ends the process with -1.
    bool initialize();
    // Only after a successful initialize; returns the process exit code.
    int run();
    // Always, after initialize (and run when it ran); exitCode is the process's exit code.
    void shutdown(int exitCode);

    // The whole sequence as the entry point runs it: initialize ? run : -1, then shutdown.
    int launch();

    // Copies what the reading step found into the fields below.
    void adoptSettings(const LaunchSettings& read);

    // Fields, in the order the launcher declares them. Strings are UTF-8.
    // The splash picture, its window and the error-box owner the splash thread sets.
    SplashState splash;
    std::string jvmPath;
    VmSession vmSession; // the VM and the main thread's JNIEnv, once created
    std::string mainClassName;
    std::vector<std::string> mainArguments;
    bool isService = false;
    bool ibmRuntimeAdmitted = false;
    bool ibmRuntimeFavored = false;
    std::string productName;
    std::string productCode;
    std::vector<std::string> vmOptions; // narrow option text handed to the VM
    // The folder picked in the missing-runtime dialog: remembered as "JRE Path" only once its
    // VM library has loaded.
    std::string pickedRuntimeFolder;
    std::string libraryPath;
    // The shared block, the listener and the main-started signal of single-instance mode.
    InstanceState instance;
    std::string systemPath;
    std::string pairProduct;
    bool pairReturnCode = false;
    bool showExceptionDialog = false;
    bool overrideWorkingDir = false;
    bool usePairedLauncher = false;
    // The class-data archive this start's VM writes, when it writes one.
    std::unique_ptr<ClassDataPublisher> classDataPublisher;

  private:
    bool hasNoSplashArgument() const;
    void releaseAll();
};
