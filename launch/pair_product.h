#pragma once

class Launcher;

// Starts the paired launcher with this process's command line. Returns the exit code of the
// launch: the pair product's own when the launcher waits for it, else 0.
int startPairProduct(Launcher& launcher);
