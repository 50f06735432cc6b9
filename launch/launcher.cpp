#include "launch/launcher.h"

#include "discovery/runtime_search.h"
#include "instance/instance_coordination.h"
#include "instance/instance_session.h"
#include "launch/pair_product.h"
#include "launch/read_settings.h"
#include "launch/run_environment.h"
#include "settings/settings.h"
#include "splash/splash.h"
#include "splash/splash_window.h"
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
        reportErrorWithCode(splashWindowHandle.load(),
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
    std::optional<LaunchSettings> read = readSettings(splashWindowHandle);
    if (!read)
        return false;
    adoptSettings(*read);
    if (!setUpInstanceCoordination(*this))
        return false;
    // A secondary instance has handed its request over; it needs no runtime.
    if (singleInstance && !isPrimaryInstance)
        return true;
    if (overrideWorkingDir)
        setWorkingFolder();
    bool found = locateRuntime(*this);
    if (isTracing())
        traceLine(found ? "VM library " + jvmPath : std::string("no VM library"));
    return found;
}

int Launcher::run() {
    if (usePairedLauncher)
        return startPairProduct(*this);
    if (singleInstance && !isPrimaryInstance)
        return waitForPrimary(*this);

    prepareEnvironment(*this);
    // Only the real command line can suppress the splash: "Cmd" items are added later.
    if (!hasNoSplashArgument() && !startSplash(*this))
        return exitCodeSuccess;
    std::optional<VmEntryPoints> entryPoints = loadVmLibrary(jvmPath, splashWindowHandle);
    if (!entryPoints)
        return exitCodeFailure;
    // Only a folder whose library loaded is remembered: a broken pick brings the dialog back
    // on the next start instead of failing every start from then on.
    if (!pickedRuntimeFolder.empty())
        writeBackJrePath({productName, productCode}, isService, pairProduct, pickedRuntimeFolder);
    // Without the settings' options (message 209 shown) the start goes on, as it always did.
    VmOptionsResult built = buildVmOptions(jvmPath, splashWindowHandle).value_or(VmOptionsResult());
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
    call.mainStarted = [this] { signalMainStarted(*this); };
    call.closeSplash = [this] { closeSplash(*this); };
    call.errorOwner = &splashWindowHandle;
    if (runMainThread(vmSession, call) == 0)
        return exitCodeSuccess;
    closeNativeSplash(*this);
    return exitCodeFailure;
}

void Launcher::shutdown(int exitCode) {
    closeSplash(*this);
    destroyVm(vmSession);
    if (classDataPublisher) {
        classDataPublisher->publish();
        setVmHookListener(classDataPublisher->next());
        classDataPublisher.reset();
    }
    shutDownInstanceCoordination(*this, exitCode);
    closeNativeSplash(*this);
    releaseAll();
}

void Launcher::adoptSettings(const LaunchSettings& read) {
    productName = read.product.name;
    productCode = read.product.code;
    const RuntimeRequirements& runtime = read.runtime;
    minVersion = runtime.minVersion;
    maxVersion = runtime.maxVersion;
    preferredVersions = runtime.preferredVersions;
    jrePath = runtime.jrePath;
    jvmType = runtime.jvmType;
    jdkWanted = runtime.jdkWanted;
    jreWanted = runtime.jreWanted;
    kindFallback = runtime.kindFallback;
    jrockitRuntimeAdmitted = runtime.jrockitAdmitted;
    sunRuntimeAdmitted = runtime.sunAdmitted;
    ibmRuntimeAdmitted = runtime.ibmAdmitted;
    jrockitRuntimeFavored = runtime.jrockitFavored;
    sunRuntimeFavored = runtime.sunFavored;
    ibmRuntimeFavored = runtime.ibmFavored;
    mainClassName = read.mainClassName;
    isService = read.isService;
    singleInstance = read.singleInstance;
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
    preferredVersions.clear();
    splashWindow.reset();
    classDataPublisher.reset();
}
