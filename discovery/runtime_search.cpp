#include "discovery/runtime_search.h"

#include "launch/launcher.h"

bool locateRuntime(Launcher&) { return false; }
