#pragma once

class Launcher;

// Reads the launcher settings into the launcher's fields (first thread, during initialize).
// False when the settings file path cannot be made or no main class is configured; the user
// has then been told.
bool readSettings(Launcher& launcher);
