#pragma once

// The launcher's window process: the kinds of ui/ and those of the subsystems above it.

// runAsWindowProcessIfMarked (ui/window_process.h) with every window kind the launcher shows.
void runAsLauncherWindowProcessIfMarked();
