#pragma once

class Launcher;

// Starts the splash picture unless none is configured: the runtime's own splash library when
// "Preffer Native Splash Screen" asks for it and the runtime has one, else the launcher's own
// splash window. First thread, before the VM library is loaded. False only when the settings
// file path cannot be made.
bool startSplash(Launcher& launcher);
// Ends the own splash window and waits until it is gone (shutdown, or before the report of an
// uncaught exception). Does nothing when none runs; safe to call twice.
void closeSplash(Launcher& launcher);
// Tells the runtime's splash library to close, at most once per start.
void closeNativeSplash(Launcher& launcher);
