#pragma once

// Hosting the Java VM in the launcher's process: the VM library, the VM options, the main
// thread that creates the VM and calls the main class, and the VM's end.
// First thread: loadVmLibrary -> buildVmOptions -> runMainThread (waits) ... destroyVm.
// Main thread: mainThreadProc = createVm (with the stream redirection) -> invokeMainClass.
// Failures are shown to the user by the function that fails, which then returns false.

#include <cstdint>
#include <functional>
#include <string>

class Launcher;

// Loads the VM library and resolves JNI_CreateJavaVM and JNI_GetDefaultJavaVMInitArgs into
// the launcher. Message 222 (path, system error) or 202 with 212 on failure.
bool loadVmLibrary(Launcher& launcher, const std::string& path);
// The VM's default Java thread stack size in bytes, 0 when it gives none. Needs the library.
uint64_t vmDefaultStackSize(const Launcher& launcher);

// Fills vmOptions (class path, then the user's parameters), mainStackSize, the stream fields
// and the "Cmd" items of mainArguments from the settings. False after message 209 when the
// class path is empty.
bool buildVmOptions(Launcher& launcher);

// Creates the VM with vmOptions plus the "abort" and "exit" hooks, then redirects the standard
// streams. Main thread only; the JNIEnv it stores belongs to that thread. Message 203 on failure.
bool createVm(Launcher& launcher);
// Message id of the reason text for a JNI_CreateJavaVM result, 0 when there is none.
int createVmReasonId(int32_t code);

// Called on the main thread just before main(String[]) is called (not when main cannot be).
using MainStarted = std::function<void()>;

// Starts the main thread with mainStackSize (the VM's default when 0) and waits for it; runs
// its work here when no thread can be made. 0 when main ran, 1 otherwise.
uint32_t runMainThread(Launcher& launcher, const MainStarted& mainStarted);
// The main thread's work: 1 when the VM cannot be created, else invokeMainClass ? 0 : 1.
uint32_t mainThreadProc(Launcher& launcher, const MainStarted& mainStarted);
// Looks up the main class and main(String[]), runs mainStarted (when set), calls main with
// mainArguments, then detaches (or, for the IBM provider settings, parks the thread for good).
// False when main could not run or the detach failed.
bool invokeMainClass(Launcher& launcher, const MainStarted& mainStarted);
// System.exit(-1) through the main thread's JNIEnv; returns only when the VM did not exit.
void callSystemExit(Launcher& launcher);

// DestroyJavaVM when a VM exists; waits for the program's non-daemon threads (shutdown).
void destroyVm(Launcher& launcher);
