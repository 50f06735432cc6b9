#include "instance/instance_coordination.h"

#include "launch/launcher.h"

bool setUpInstanceCoordination(Launcher&) {
    return true;
}

int waitForPrimary(Launcher&) {
    return exitCodeSuccess;
}

void signalMainStarted(Launcher&) {}

void shutDownInstanceCoordination(Launcher&) {}
