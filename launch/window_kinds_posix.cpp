#include "launch/window_kinds_posix.h"

#include "discovery/missing_runtime_window.h"
#include "splash/splash_window_host.h"
#include "ui/window_host.h"
#include "ui/window_process.h"

#include <iterator>

namespace {

// One line per window kind.
const WindowKind launcherWindowKinds[] = {
    {"missing-runtime", showMissingRuntimeWindow, nullptr},
    {"splash", nullptr, showSplashWindow},
};

} // namespace

void runAsLauncherWindowProcessIfMarked() {
    runAsWindowProcessIfMarked(launcherWindowKinds, std::size(launcherWindowKinds));
}
