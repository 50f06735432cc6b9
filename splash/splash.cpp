#include "splash/splash.h"

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

bool startRuntimeSplash(const std::string& jvmPath, SplashState& splash) {
    std::string library = findNativeSplashLibrary(jvmPath);
    return !library.empty() &&
           startNativeSplash(library, splash.image, jvmPath, splash.nativeSplashClose);
}

} // namespace

bool startSplash(const std::string& jvmPath, SplashState& splash) {
    std::string settingsPath;
    if (!settingsFilePath(settingsPath))
        return false;
    SplashSettings settings = readSplashSettings(settingsPath);
    splash.image = settings.image;
    splash.shadow = settings.shadow;
    if (splash.image.empty())
        return true;
    if (isYesInAnyCase(settings.preferNative) && startRuntimeSplash(jvmPath, splash))
        return true;
    // A splash that cannot be started is simply not shown.
    splash.window =
        startSplashWindow({splash.image, wantsSplashShadow(splash.shadow)}, splash.windowHandle);
    return true;
}

void closeSplash(SplashState& splash) {
    if (!splash.window)
        return;
    splash.window->close();
    splash.window.reset();
}

void closeNativeSplash(SplashState& splash) {
    closeNativeSplashLibrary(splash.nativeSplashClose);
}
