#pragma once

#include <string>

class Launcher;

// Loads the VM library and resolves its two invocation entry points (first thread).
// False after the user has been told.
bool loadVmLibrary(Launcher& launcher, const std::string& path);
// Fills vmOptions, mainArguments ("Cmd") and the stream fields from the settings.
void buildVmOptions(Launcher& launcher);
// Runs the main thread (VM creation, main class, main) and waits for it; 0 when main ran.
int runMainThread(Launcher& launcher);
// DestroyJavaVM when a VM exists; waits for the program's non-daemon threads (shutdown).
void destroyVm(Launcher& launcher);
