#pragma once

// Turns the launcher's settings into the VM's option strings and what the later VM-hosting
// steps read (stream files, "Cmd" arguments, main-thread stack size). Portable: the settings
// and every platform service come in through VmOptionSources.

#include "vmhost/class_data_cache.h"
#include "vmhost/class_path.h"
#include "vmhost/vm_options.h"
#include "vmhost/vm_session.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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

// What the settings give the VM and its main thread.
struct VmOptionsResult {
    // Option text for the VM, after the options the launcher put first.
    std::vector<std::string> options;
    uint64_t mainStackSize = 0; // of the last parsable "-Xss"; 0: the VM's default
    StreamFiles streams;
    // The non-empty "Cmd" items, to follow the command line's arguments.
    std::vector<std::string> cmdArguments;
    // The class-data archive this start's VM writes, when it writes one.
    std::unique_ptr<ClassDataPublisher> classDataPublisher;
};

// "-Djava.class.path=...", the class-data cache's options (when on) and the user's VM
// parameters (each expanded and converted to option text), the stack size, the stream files
// and the "Cmd" items. Nullopt when the class path is empty. Leaves the publisher empty.
std::optional<VmOptionsResult> collectVmOptions(const VmOptionSources& sources);
