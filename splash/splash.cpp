#include "splash/splash.h"

#include "launch/launcher.h"

bool startSplash(Launcher&) {
    return true;
}

void closeSplash(Launcher&) {}

void closeNativeSplash(Launcher& launcher) {
    if (launcher.nativeSplashClose) {
        auto close = launcher.nativeSplashClose;
        launcher.nativeSplashClose = nullptr;
        close();
    }
}
