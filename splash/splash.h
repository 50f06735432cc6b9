#pragma once

#include "splash/splash_state.h"

#include <string>

// Starts the splash picture unless none is configured: the runtime's own splash library when
// "Preffer Native Splash Screen" asks for it and the runtime at jvmPath has one, else the
// launcher's own splash window. First thread, before the VM library is loaded. False only when
// the settings file path cannot be made.
bool startSplash(const std::string& jvmPath, SplashState& splash);
// Ends the own splash window and waits until it is gone (shutdown, or before the report of an
// uncaught exception). Does nothing when none runs; safe to call twice.
void closeSplash(SplashState& splash);
// Tells the runtime's splash library to close, at most once per start.
void closeNativeSplash(SplashState& splash);
