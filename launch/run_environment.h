#pragma once

// The launcher's environment for the chosen runtime, set on the first thread before the VM
// starts (the portable pieces are in support/process_environment.h).

class Launcher;

// JL_JVM_PATH and JL_JVM_HOME from jvmPath.
void setJvmVariables(const Launcher& launcher);
// At the start of run, with jvmPath known: setJvmVariables; when libraryPath is not empty,
// libraryPath becomes the completed, expanded library path and "-Djava.library.path=" with it
// becomes the first VM option; the search variable becomes the completed, expanded search path.
void prepareEnvironment(Launcher& launcher);
