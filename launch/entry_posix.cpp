// Process entry of the POSIX executable. An exit code of -1 becomes exit status 255.

#include "launch/launcher.h"
#include "launch/window_kinds_posix.h"
#include "support/process_arguments.h"
#include "vmhost/class_data_cache.h"

#include <clocale>

int main(int argc, char** argv) {
    // A copy of this executable started to show one window, or to build a class-data archive,
    // does only that.
    runArchiveJobIfMarked();
    runAsLauncherWindowProcessIfMarked();
    Launcher launcher;
    rememberProcessArguments(argc, argv);
    std::setlocale(LC_ALL, "");
    return launcher.launch();
}
