#pragma once

// Hosting the Java VM in the launcher's process: the VM library, the VM options, the main
// thread that creates the VM and calls the main class, and the VM's end.
// First thread: loadVmLibrary -> buildVmOptions -> runMainThread (waits) ... destroyVm.
// Main thread: createVm (with the stream redirection) -> invokeMainClass.
// Failures are shown to the user by the function that fails, which then returns false (or
// nothing).

#include "support/os_handle.h"
#include "vmhost/vm_session.h"
#include "vmhost/vm_settings.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Errors are shown over the window errorOwner holds at the moment they are shown.

// Loads the VM library and resolves JNI_CreateJavaVM and JNI_GetDefaultJavaVMInitArgs.
// Message 222 (path, system error) or 202 with 212 on failure.
std::optional<VmEntryPoints> loadVmLibrary(const std::string& path,
                                           const std::atomic<OsHandle>& errorOwner);
// The VM's default Java thread stack size in bytes, 0 when it gives none.
uint64_t vmDefaultStackSize(const VmEntryPoints& entryPoints);

// Reads the settings file afresh and collects the VM options (class path, then the user's
// parameters), the stack size, the stream files and the "Cmd" items; installs the class-data
// publisher, when there is one, as the VM hook listener. Nullopt after message 209 when the
// class path is empty.
std::optional<VmOptionsResult> buildVmOptions(const std::string& jvmPath,
                                              const std::atomic<OsHandle>& errorOwner);

// Creates the VM with options plus the "abort" and "exit" hooks into session, then redirects
// the standard streams. Main thread only; the JNIEnv belongs to that thread. Message 203 on
// failure.
bool createVm(const VmEntryPoints& entryPoints, const std::vector<std::string>& options,
              const StreamFiles& streams, const std::atomic<OsHandle>& errorOwner,
              VmSession& session);
// Message id of the reason text for a JNI_CreateJavaVM result, 0 when there is none.
int createVmReasonId(int32_t code);

// Called on the main thread just before main(String[]) is called (not when main cannot be).
using MainStarted = std::function<void()>;

// What the main thread needs: the VM it creates, then the main it calls.
struct MainCall {
    VmEntryPoints entryPoints;
    std::vector<std::string> vmOptions; // in the order the VM receives them
    StreamFiles streams;
    std::string mainClassName;
    std::vector<std::string> arguments;
    bool showExceptionDialog = false;
    // Keeps the main thread (and so the process) alive after main until System.exit.
    bool parkAfterMain = false;
    uint64_t stackSize = 0; // of the main thread; 0: the VM's default
    MainStarted mainStarted;
    // Closes the splash before an uncaught exception is reported.
    std::function<void()> closeSplash;
    // Never null: errors are shown over the window it holds at that moment.
    const std::atomic<OsHandle>* errorOwner = nullptr;
};

// Starts the main thread with call.stackSize (the VM's default when 0) and waits for it; runs
// its work here when no thread can be made. The thread creates the VM into session (createVm),
// then invokeMainClass. 0 when main ran, 1 otherwise.
uint32_t runMainThread(VmSession& session, const MainCall& call);
// Looks up the main class and main(String[]), runs mainStarted (when set), calls main with the
// arguments, then detaches (or, with parkAfterMain, parks the thread for good). False when main
// could not run or the detach failed.
bool invokeMainClass(const VmSession& session, const MainCall& call);
// System.exit(-1) through env; returns only when the VM did not exit.
void callSystemExit(JNIEnv_* env);

// DestroyJavaVM when a VM exists; waits for the program's non-daemon threads (shutdown).
void destroyVm(VmSession& session);
