#pragma once

// One executable, one running program: the first start of an executable (the primary) runs
// the Java program and listens; every later start (a secondary) hands its arguments over, waits
// for the answer of secondaryMain and ends with it. The platform file implements the class.
//
// First thread: start -> (secondary) waitForPrimary, or (primary) ... end.
// Main thread: mainStarted, just before main is called; handler threads enter the VM only
// after it. Any thread: handOverExitCode, when the program ends the process itself.

#include "instance/secondary_main.h"
#include "vmhost/vm_hook_listener.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class InstanceRole { off, primary, secondary };

class InstanceSession final : public VmHookListener {
  public:
    InstanceSession();
    ~InstanceSession();
    InstanceSession(const InstanceSession&) = delete;
    InstanceSession& operator=(const InstanceSession&) = delete;

    // Becomes the primary, or hands the arguments to the running primary. False only when a
    // secondary cannot hand them over (too long for the block, primary unreachable). When the
    // shared objects cannot be made the role stays off and the process runs on its own.
    bool start(const std::string& executablePath, const std::vector<std::string>& arguments);
    InstanceRole role() const;

    // Primary: from now on handler threads may call secondaryMain through target.
    void mainStarted(const SecondaryMainTarget& target);
    // Secondary: the primary's answer; its exit code when it ends first.
    int32_t waitForPrimary();
    // Primary: the process ends with exitCode; later starts still waiting receive it where the
    // platform cannot read another process's exit code.
    void handOverExitCode(int32_t exitCode);
    // Primary: stops the listener and releases the shared objects.
    void end(int32_t exitCode);

    // The VM's exit and abort hooks: the process ends now, with exitCode or -1.
    void onExit(int32_t exitCode) override { handOverExitCode(exitCode); }
    void onAbort() override { handOverExitCode(-1); }

    struct Platform;

  private:
    InstanceRole role_ = InstanceRole::off;
    std::unique_ptr<Platform> platform_;
};
