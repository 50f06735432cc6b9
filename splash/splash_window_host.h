#pragma once

// The splash as a window kind of the POSIX window process (ui/window_host.h).

#include "splash/splash_window.h"
#include "ui/window_request.h"

// The request that shows request's picture: kind "splash", fields "image" and "shadow".
WindowMessage splashWindowRequest(const SplashRequest& request);
// Shows the picture with Xlib alone (no GTK) until the launcher ends the window process;
// answers only when nothing could be shown.
WindowMessage showSplashWindow(const WindowMessage& request);
