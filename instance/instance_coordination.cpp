#include "instance/instance_coordination.h"

#include "support/paths.h"
#include "vmhost/vm_hook_listener.h"

bool setUpInstanceCoordination(bool isService, bool singleInstanceWanted,
                               const std::vector<std::string>& arguments, InstanceState& state) {
    state.singleInstance = singleInstanceWanted && !isService;
    std::string path;
    if (!state.singleInstance || !modulePath(path)) {
        state.singleInstance = false;
        return true;
    }
    auto session = std::make_unique<InstanceSession>();
    bool started = session->start(path, arguments);
    state.singleInstance = session->role() != InstanceRole::off;
    state.isPrimary = session->role() == InstanceRole::primary;
    // A program that ends the process through System.exit never returns to the launch
    // sequence; the VM's exit hook hands its code on instead.
    if (state.isPrimary && vmHookListener() == nullptr)
        setVmHookListener(session.get());
    state.session = std::move(session);
    return started;
}

int waitForPrimary(InstanceState& state) {
    return state.session->waitForPrimary();
}

void signalMainStarted(InstanceState& state, JavaVM_* vm, const std::string& mainClassName,
                       bool detach) {
    if (!state.isPrimary)
        return;
    state.session->mainStarted({vm, mainClassName, detach});
}

void shutDownInstanceCoordination(InstanceState& state, int exitCode) {
    if (!state.session)
        return;
    if (vmHookListener() == state.session.get())
        setVmHookListener(nullptr);
    state.session->end(exitCode);
    state.session.reset();
}
