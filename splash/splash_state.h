#pragma once

// The splash of one launch, from its start on the first thread until shutdown.

#include "splash/splash_window.h"
#include "support/os_handle.h"

#include <atomic>
#include <memory>
#include <string>

struct SplashState {
    std::string image;  // "Splash Screen" from the settings file
    std::string shadow; // "Splash Screen Shadow"
    std::unique_ptr<SplashWindow> window;
    // Written by the thread that shows the splash window, read by whoever shows an error box.
    std::atomic<OsHandle> windowHandle{nullptr};
    // The runtime's splash library's close entry, when that library shows the splash.
    void (*nativeSplashClose)() = nullptr;
};
