#pragma once

class Launcher;

// Starts the splash picture unless none is configured. False only when the settings file
// path cannot be made.
bool startSplash(Launcher& launcher);
// Ends the splash thread and deletes the splash window (shutdown, or before an error report).
void closeSplash(Launcher& launcher);
// Closes the runtime's own splash picture if it was shown.
void closeNativeSplash(Launcher& launcher);
