#pragma once

// The one launcher object of the process: the records of one launch, wired step by step.
// WinMain / main construct it on the stack; while it exists it shows the system failures that
// lower layers report (support/failure_report.h). initialize -> run -> shutdown, all on the
// first thread; see launcher.cpp for the order and the exit codes.

#include "discovery/runtime_choice.h"
#include "instance/instance_state.h"
#include "settings/launch_settings.h"
#include "splash/splash_state.h"
#include "vmhost/vm_host.h"
#include "vmhost/vm_session.h"

#include <memory>
#include <string>
#include <vector>

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

  private:
    bool hasNoSplashArgument() const;
    void releaseAll();

    // The command line; the settings' "Cmd" items are added once the VM options are read.
    std::vector<std::string> mainArguments;
    LaunchSettings settings; // what the reading step found
    InstanceState instance;
    RuntimeChoice runtime;
    // Its window handle is the owner of every error box, read at the moment a box shows.
    SplashState splash;
    // What the main thread is given; its option text stays alive until the VM is gone.
    MainCall mainCall;
    VmSession vmSession;
    // The class-data archive this start's VM writes, when it writes one.
    std::unique_ptr<ClassDataPublisher> classDataPublisher;
};
