#pragma once

class Launcher;

// Decides whether this process is the primary instance; a secondary hands its arguments over.
// False when a secondary cannot reach the primary.
bool setUpInstanceCoordination(Launcher& launcher);
// Secondary instance: the primary's answer, or its exit code when it ends first.
int waitForPrimary(Launcher& launcher);
// Main thread, just before main is called: from then on forwarded requests may enter Java.
void signalMainStarted(Launcher& launcher);
// Stops the listener and releases the shared block (shutdown).
void shutDownInstanceCoordination(Launcher& launcher);
