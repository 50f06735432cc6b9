#pragma once

// What the runtime search decided: the VM library and who loads it.

#include <string>

struct RuntimeChoice {
    std::string jvmPath;
    // The paired launcher runs the library (a 32-bit x86 one); this process never loads it.
    bool usePairedLauncher = false;
    // The folder picked in the missing-runtime dialog (empty when a search source found the
    // library), to be remembered as "JRE Path".
    std::string pickedRuntimeFolder;

    // A pick for the paired launcher is remembered at once, since this process never loads it;
    // any other pick only once its VM library has loaded, so that a broken pick is asked again.
    bool remembersPickAtOnce() const { return usePairedLauncher && !pickedRuntimeFolder.empty(); }
};
