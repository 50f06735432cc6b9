#pragma once

// The splash as a window kind of the POSIX window process (ui/window_host.h).

#include "splash/splash_window.h"
#include "ui/window_request.h"

struct GtkApi;

// The request that shows request's picture: kind "splash", field "image".
WindowMessage splashWindowRequest(const SplashRequest& request);
// Shows the picture until the launcher ends the window process; answers only when nothing
// could be shown.
WindowMessage showSplashWindow(const GtkApi& gtk, const WindowMessage& request);
