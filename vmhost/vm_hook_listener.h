#pragma once

#include <cstdint>

// Optional listener behind the VM's "exit" and "abort" hooks. The launcher never installs one;
// an embedding may, through Launcher::hookListener. Called on whichever Java thread ends the VM.
class VmHookListener {
  public:
    virtual void onExit(int32_t exitCode) = 0;
    virtual void onAbort() = 0;

  protected:
    ~VmHookListener() = default;
};
