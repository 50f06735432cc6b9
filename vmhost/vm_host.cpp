#include "vmhost/vm_host.h"

#include "launch/launcher.h"

bool loadVmLibrary(Launcher&, const std::string&) { return false; }

void buildVmOptions(Launcher&) {}

int runMainThread(Launcher&) { return 1; }

void destroyVm(Launcher&) {}
