#include "splash/splash.h"

#include "launch/launcher.h"
#include "settings/settings.h"
#include "splash/native_splash.h"
#include "splash/splash_window.h"

namespace {

struct SplashSettings {
    std::string image;
    std::string shadow;
    std::string preferNative;
};

// Plain lookups in the settings file: the built-in settings text has no say over the splash.
SplashSettings readSplashSettings(const std::string& settingsPath) {
    SettingsFile file(settingsPath);
    SplashSettings settings;
    settings.image = file.fileValue(SettingsSection::display, SettingsKey::splashScreen);
    settings.shadow = file.fileValue(SettingsSection::display, SettingsKey::splashScreenShadow);
    settings.preferNative =
        file.fileValue(SettingsSection::display, SettingsKey::preferNativeSplashScreen);
    return settings;
}

bool startRuntimeSplash(Launcher& launcher) {
    std::string library = findNativeSplashLibrary(launcher.jvmPath);
    return !library.empty() && startNativeSplash(library, launcher.splashImage, launcher.jvmPath,
                                                 launcher.nativeSplashClose);
}

} // namespace

bool startSplash(Launcher& launcher) {
    std::string settingsPath;
    if (!settingsFilePath(settingsPath))
        return false;
    SplashSettings settings = readSplashSettings(settingsPath);
    launcher.splashImage = settings.image;
    launcher.splashShadow = settings.shadow;
    if (launcher.splashImage.empty())
        return true;
    if (isYesInAnyCase(settings.preferNative) && startRuntimeSplash(launcher))
        return true;
    // A splash that cannot be started is simply not shown.
    launcher.splashWindow =
        startSplashWindow({launcher.splashImage, wantsSplashShadow(launcher.splashShadow)},
                          launcher.splashWindowHandle);
    if (launcher.splashWindow) {
        launcher.splashThread = launcher.splashWindow->threadHandle();
        launcher.splashThreadId = launcher.splashWindow->threadId();
    }
    return true;
}

void closeSplash(Launcher& launcher) {
    if (!launcher.splashWindow)
        return;
    launcher.splashWindow->close();
    launcher.splashWindow.reset();
    launcher.splashThread = nullptr;
    launcher.splashThreadId = 0;
}

void closeNativeSplash(Launcher& launcher) {
    closeNativeSplashLibrary(launcher.nativeSplashClose);
}
