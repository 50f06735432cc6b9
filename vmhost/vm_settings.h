#pragma once

// Turns the launcher's settings into the VM's option strings and the fields that the later
// VM-hosting steps read (stream files, "Cmd" arguments, main-thread stack size). Portable:
// the settings and every platform service come in through VmOptionSources.

#include "vmhost/class_path.h"
#include "vmhost/vm_options.h"

#include <functional>
#include <string>
#include <vector>

class Launcher;

struct VmOptionSources {
    // The layered lookup of a setting; empty when absent.
    std::function<std::string(const std::string& section, const std::string& key)> setting;
    ClassPathSources classPath;
    std::function<MemoryStatus()> memoryStatus;
    // The command-line splitter, for the "Cmd" setting.
    std::function<void(const std::string&, std::vector<std::string>&)> splitArguments;
    std::function<std::string(const std::string&)> toOptionText;
    // The class-data cache's options for the class path's entries and the user's parameters
    // (expanded); asked only when "Class Data Cache" is on.
    std::function<std::vector<std::string>(const std::vector<std::string>& classPath,
                                           const std::vector<std::string>& userOptions)>
        classDataOptions;
};

// Appends "-Djava.class.path=...", the class-data cache's options (when on) and the user's VM
// parameters to vmOptions (each expanded and
// converted to option text), sets mainStackSize, the stream fields and cmdLine, and appends the
// "Cmd" items to mainArguments. False, with nothing stored, when the class path is empty.
bool collectVmOptions(Launcher& launcher, const VmOptionSources& sources);
