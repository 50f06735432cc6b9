#pragma once

// The launch sequence's entry to single-instance mode; InstanceSession does the work.

#include "instance/instance_state.h"

#include <string>
#include <vector>

struct JavaVM_;

// After the settings: off for a service or unless singleInstanceWanted ("Single Instance" is
// "yes"); otherwise this process becomes the primary or hands arguments to the running
// primary. Fills state. False when a secondary cannot hand its arguments over.
bool setUpInstanceCoordination(bool isService, bool singleInstanceWanted,
                               const std::vector<std::string>& arguments, InstanceState& state);
// Secondary instance: the primary's answer, or its exit code when it ends first.
int waitForPrimary(InstanceState& state);
// Main thread, just before main is called: from then on forwarded requests may enter Java.
// detach: whether a handler thread detaches from vm after each call.
void signalMainStarted(InstanceState& state, JavaVM_* vm, const std::string& mainClassName,
                       bool detach);
// Stops the listener and releases the shared block (shutdown); exitCode is the process's.
void shutDownInstanceCoordination(InstanceState& state, int exitCode);
