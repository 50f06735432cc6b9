#pragma once

// The launch sequence's entry to single-instance mode; InstanceSession does the work.

#include <cstdint>

class Launcher;

// After the settings: off for a service or unless "Single Instance" is "yes"; otherwise this
// process becomes the primary or hands its arguments to the running primary. Sets the two
// single-instance flags. False when a secondary cannot hand its arguments over.
bool setUpInstanceCoordination(Launcher& launcher);
// Secondary instance: the primary's answer, or its exit code when it ends first.
int waitForPrimary(Launcher& launcher);
// Main thread, just before main is called: from then on forwarded requests may enter Java.
void signalMainStarted(Launcher& launcher);
// Stops the listener and releases the shared block (shutdown); exitCode is the process's.
void shutDownInstanceCoordination(Launcher& launcher, int exitCode);
