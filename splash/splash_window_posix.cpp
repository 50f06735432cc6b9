#include "splash/splash_window.h"

std::unique_ptr<SplashWindow> startSplashWindow(const SplashRequest&, std::atomic<void*>&) {
    // The own splash window needs the window process, which this build does not have yet.
    return nullptr;
}
