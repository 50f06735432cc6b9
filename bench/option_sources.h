#pragma once

// The services that the VM options step takes, as the running launcher hands them over
// (see buildVmOptions), except that the launcher's path is given: the benchmarks place a
// launcher of their own in a temporary folder.

#include "settings/settings_source.h"
#include "vmhost/vm_settings.h"

#include <string>

// Settings from settings; the class-path search on the real file system.
VmOptionSources launcherOptionSources(LayeredSettings& settings, const std::string& launcherPath);
