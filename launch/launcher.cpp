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
#include <iterator>

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
    settings = std::move(*read);
    if (!setUpInstanceCoordination(settings.isService, settings.singleInstance, mainArguments,
                                   instance))
        return false;
    // A secondary instance has handed its request over; it needs no runtime.
    if (instance.singleInstance && !instance.isPrimary)
        return true;
    if (settings.overrideWorkingDir)
        setWorkingFolder();
    std::optional<RuntimeChoice> choice = locateRuntime(settings.runtime);
    if (isTracing())
        traceLine(choice ? "VM library " + choice->jvmPath : std::string("no VM library"));
    if (!choice)
        return false;
    runtime = std::move(*choice);
    // A pick for the paired launcher is remembered now: this process never loads it.
    if (runtime.remembersPickAtOnce())
        writeBackJrePath(settings.product, settings.isService, settings.pairProduct,
                         runtime.pickedRuntimeFolder);
    return true;
}

int Launcher::run() {
    if (runtime.usePairedLauncher)
        return startPairProduct(settings.pairProduct, settings.pairReturnCode);
    if (instance.singleInstance && !instance.isPrimary)
        return waitForPrimary(instance);

    std::string libraryOption =
        prepareEnvironment(runtime.jvmPath, settings.systemPath, settings.libraryPath);
    // Only the real command line can suppress the splash: "Cmd" items are added later.
    if (!hasNoSplashArgument() && !startSplash(runtime.jvmPath, splash))
        return exitCodeSuccess;
    std::optional<VmEntryPoints> entryPoints = loadVmLibrary(runtime.jvmPath, splash.windowHandle);
    if (!entryPoints)
        return exitCodeFailure;
    // Only a folder whose library loaded is remembered: a broken pick brings the dialog back
    // on the next start instead of failing every start from then on.
    if (!runtime.pickedRuntimeFolder.empty())
        writeBackJrePath(settings.product, settings.isService, settings.pairProduct,
                         runtime.pickedRuntimeFolder);
    // Without the settings' options (message 209 shown) the start goes on, as it always did.
    VmOptionsResult built =
        buildVmOptions(runtime.jvmPath, splash.windowHandle).value_or(VmOptionsResult());
    std::vector<std::string>& vmOptions = mainCall.vmOptions;
    vmOptions = std::move(built.options);
    // The library path goes before every option the settings give.
    if (!libraryOption.empty())
        vmOptions.insert(vmOptions.begin(), std::move(libraryOption));
    mainArguments.insert(mainArguments.end(), std::make_move_iterator(built.cmdArguments.begin()),
                         std::make_move_iterator(built.cmdArguments.end()));
    classDataPublisher = std::move(built.classDataPublisher);
    if (isTracing()) {
        traceList("VM options", vmOptions);
        traceLine("main class " + settings.mainClassName);
        traceList("arguments", mainArguments);
    }
    // These provider settings keep the process alive until the program calls System.exit, and
    // a thread that enters Java for a forwarded request stays attached.
    bool ibmProvider = settings.runtime.ibmAdmitted || settings.runtime.ibmFavored;
    mainCall.entryPoints = *entryPoints;
    mainCall.streams = std::move(built.streams);
    mainCall.mainClassName = settings.mainClassName;
    mainCall.arguments = std::move(mainArguments);
    mainCall.showExceptionDialog = settings.showExceptionDialog;
    mainCall.parkAfterMain = ibmProvider;
    mainCall.stackSize = built.mainStackSize;
    mainCall.mainStarted = [this, ibmProvider] {
        signalMainStarted(instance, vmSession.vm, settings.mainClassName, !ibmProvider);
    };
    mainCall.closeSplash = [this] { closeSplash(splash); };
    mainCall.errorOwner = &splash.windowHandle;
    if (runMainThread(vmSession, mainCall) == 0)
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

bool Launcher::hasNoSplashArgument() const {
    auto has = [this](const char* word) {
        return std::find(mainArguments.begin(), mainArguments.end(), word) != mainArguments.end();
    };
    return has("-nosplash") || has("/nosplash");
}

void Launcher::releaseAll() {
    mainArguments.clear();
    mainCall = MainCall();
    splash.window.reset();
    classDataPublisher.reset();
}
