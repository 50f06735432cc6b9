#include "launch/launcher.h"

#include "discovery/runtime_search.h"
#include "instance/instance_coordination.h"
#include "launch/pair_product.h"
#include "launch/read_settings.h"
#include "launch/run_environment.h"
#include "settings/settings.h"
#include "splash/splash.h"
#include "support/failure_report.h"
#include "support/paths.h"
#include "support/process_environment.h"
#include "support/trace.h"
#include "ui/messages.h"
#include "vmhost/class_data_cache.h"
#include "vmhost/vm_hook_listener.h"
#include "vmhost/vm_host.h"

#include <algorithm>

namespace {
Launcher* processLauncher = nullptr;

void traceList(const char* title, const std::vector<std::string>& items) {
    std::string text = std::string(title) + " (" + std::to_string(items.size()) + "):";
    for (const std::string& item : items)
        text += "\n  " + item;
    traceLine(text);
}

int failureTextId(SystemFailure kind) {
    switch (kind) {
    case SystemFailure::modulePath:
        break;
    }
    return MessageId::modulePathFailed;
}

void traceStart() {
    if (!isTraceRequested())
        return;
    std::string executable;
    if (!modulePath(executable))
        executable.clear();
    startTrace(executable);
}

} // namespace

Launcher::Launcher() {
    processLauncher = this;
    installFailureReporter([this](SystemFailure kind, uint32_t systemCode) {
        // The splash window may come or go at any time: its handle is read as the box shows.
        reportErrorWithCode(splash.windowHandle.load(),
                            loadResourceString(MessageId::windowsException),
                            loadResourceString(failureTextId(kind)), systemCode);
    });
}

Launcher::~Launcher() {
    if (processLauncher != this)
        return;
    processLauncher = nullptr;
    installFailureReporter(nullptr);
    setVmHookListener(nullptr);
}

int Launcher::launch() {
    traceStart();
    int result = initialize() ? run() : exitCodeFailure;
    shutdown(result);
    if (isTracing())
        traceLine("exit code " + std::to_string(result));
    stopTrace();
    return result;
}

bool Launcher::initialize() {
    parseCommandLine(mainArguments);
    std::optional<LaunchSettings> read = readSettings(splash.windowHandle);
    if (!read)
        return false;
    adoptSettings(*read);
    if (!setUpInstanceCoordination(isService, read->singleInstance, mainArguments, instance))
        return false;
    // A secondary instance has handed its request over; it needs no runtime.
    if (instance.singleInstance && !instance.isPrimary)
        return true;
    if (overrideWorkingDir)
        setWorkingFolder();
    std::optional<RuntimeChoice> choice = locateRuntime(read->runtime);
    if (choice) {
        jvmPath = choice->jvmPath;
        usePairedLauncher = choice->usePairedLauncher;
        // A pick for the paired launcher is remembered now: this process never loads it.
        if (choice->remembersPickAtOnce())
            writeBackJrePath({productName, productCode}, isService, pairProduct,
                             choice->pickedRuntimeFolder);
        else
            pickedRuntimeFolder = choice->pickedRuntimeFolder;
    }
    if (isTracing())
        traceLine(choice ? "VM library " + jvmPath : std::string("no VM library"));
    return choice.has_value();
}

int Launcher::run() {
    if (usePairedLauncher)
        return startPairProduct(pairProduct, pairReturnCode);
    if (instance.singleInstance && !instance.isPrimary)
        return waitForPrimary(instance);

    // vmOptions is still empty: the library path goes before every option read later.
    std::string libraryOption = prepareEnvironment(jvmPath, systemPath, libraryPath);
    if (!libraryOption.empty())
        vmOptions.push_back(libraryOption);
    // Only the real command line can suppress the splash: "Cmd" items are added later.
    if (!hasNoSplashArgument() && !startSplash(jvmPath, splash))
        return exitCodeSuccess;
    std::optional<VmEntryPoints> entryPoints = loadVmLibrary(jvmPath, splash.windowHandle);
    if (!entryPoints)
        return exitCodeFailure;
    // Only a folder whose library loaded is remembered: a broken pick brings the dialog back
    // on the next start instead of failing every start from then on.
    if (!pickedRuntimeFolder.empty())
        writeBackJrePath({productName, productCode}, isService, pairProduct, pickedRuntimeFolder);
    // Without the settings' options (message 209 shown) the start goes on, as it always did.
    VmOptionsResult built =
        buildVmOptions(jvmPath, splash.windowHandle).value_or(VmOptionsResult());
    vmOptions.insert(vmOptions.end(), built.options.begin(), built.options.end());
    mainArguments.insert(mainArguments.end(), built.cmdArguments.begin(), built.cmdArguments.end());
    classDataPublisher = std::move(built.classDataPublisher);
    if (isTracing()) {
        traceList("VM options", vmOptions);
        traceLine("main class " + mainClassName);
        traceList("arguments", mainArguments);
    }
    MainCall call;
    call.entryPoints = *entryPoints;
    call.vmOptions = vmOptions;
    call.streams = built.streams;
    call.mainClassName = mainClassName;
    call.arguments = mainArguments;
    call.showExceptionDialog = showExceptionDialog;
    // These provider settings keep the process alive until the program calls System.exit.
    call.parkAfterMain = ibmRuntimeAdmitted || ibmRuntimeFavored;
    call.stackSize = built.mainStackSize;
    call.mainStarted = [this] {
        bool detach = !(ibmRuntimeAdmitted || ibmRuntimeFavored);
        signalMainStarted(instance, vmSession.vm, mainClassName, detach);
    };
    call.closeSplash = [this] { closeSplash(splash); };
    call.errorOwner = &splash.windowHandle;
    if (runMainThread(vmSession, call) == 0)
        return exitCodeSuccess;
    closeNativeSplash(splash);
    return exitCodeFailure;
}

void Launcher::shutdown(int exitCode) {
    closeSplash(splash);
    destroyVm(vmSession);
    if (classDataPublisher) {
        classDataPublisher->publish();
        setVmHookListener(classDataPublisher->next());
        classDataPublisher.reset();
    }
    shutDownInstanceCoordination(instance, exitCode);
    closeNativeSplash(splash);
    releaseAll();
}

void Launcher::adoptSettings(const LaunchSettings& read) {
    productName = read.product.name;
    productCode = read.product.code;
    ibmRuntimeAdmitted = read.runtime.ibmAdmitted;
    ibmRuntimeFavored = read.runtime.ibmFavored;
    mainClassName = read.mainClassName;
    isService = read.isService;
    showExceptionDialog = read.showExceptionDialog;
    overrideWorkingDir = read.overrideWorkingDir;
    systemPath = read.systemPath;
    libraryPath = read.libraryPath;
    pairProduct = read.pairProduct;
    pairReturnCode = read.pairReturnCode;
}

bool Launcher::hasNoSplashArgument() const {
    auto has = [this](const char* word) {
        return std::find(mainArguments.begin(), mainArguments.end(), word) != mainArguments.end();
    };
    return has("-nosplash") || has("/nosplash");
}

void Launcher::releaseAll() {
    mainArguments.clear();
    vmOptions.clear();
    splash.window.reset();
    classDataPublisher.reset();
}
