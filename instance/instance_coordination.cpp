#include "instance/instance_coordination.h"

#include "instance/instance_session.h"
#include "launch/launcher.h"
#include "support/paths.h"
#include "vmhost/vm_hook_listener.h"

bool setUpInstanceCoordination(Launcher& launcher) {
    if (launcher.isService)
        launcher.singleInstance = false;
    std::string path;
    if (!launcher.singleInstance || !modulePath(path)) {
        launcher.singleInstance = false;
        return true;
    }
    auto session = std::make_unique<InstanceSession>();
    bool started = session->start(path, launcher.mainArguments);
    launcher.singleInstance = session->role() != InstanceRole::off;
    launcher.isPrimaryInstance = session->role() == InstanceRole::primary;
    // A program that ends the process through System.exit never returns to the launch
    // sequence; the VM's exit hook hands its code on instead.
    if (launcher.isPrimaryInstance && vmHookListener() == nullptr)
        setVmHookListener(session.get());
    launcher.instanceSession = std::move(session);
    return started;
}

int waitForPrimary(Launcher& launcher) {
    return launcher.instanceSession->waitForPrimary();
}

void signalMainStarted(Launcher& launcher) {
    if (!launcher.isPrimaryInstance)
        return;
    bool detach = !(launcher.ibmRuntimeAdmitted || launcher.ibmRuntimeFavored);
    launcher.instanceSession->mainStarted({launcher.vmSession.vm, launcher.mainClassName, detach});
}

void shutDownInstanceCoordination(Launcher& launcher, int exitCode) {
    if (!launcher.instanceSession)
        return;
    if (vmHookListener() == launcher.instanceSession.get())
        setVmHookListener(nullptr);
    launcher.instanceSession->end(exitCode);
    launcher.instanceSession.reset();
}
