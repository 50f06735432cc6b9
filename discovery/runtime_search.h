#pragma once

class Launcher;

// Finds the VM library: "JRE Path", the launcher's own folder, the installed runtimes, and
// (with a pair product) the 32-bit registry view. Sets jvmPath and, for a runtime meant for
// the pair product, usePairedLauncher. False when nothing was found and the user gave no folder.
bool locateRuntime(Launcher& launcher);
