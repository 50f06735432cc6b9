#pragma once

#include <cstdint>

// Optional listener behind the VM's "exit" and "abort" hooks, one per process (the slot below).
// Called on whichever Java thread ends the VM.
class VmHookListener {
  public:
    virtual void onExit(int32_t exitCode) = 0;
    virtual void onAbort() = 0;

  protected:
    ~VmHookListener() = default;
};

// The process's listener: null (none) until set; the hooks read it when they run.
void setVmHookListener(VmHookListener* listener);
VmHookListener* vmHookListener();
