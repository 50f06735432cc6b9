#pragma once

// The launcher's own splash window, owned by the launcher and driven on the splash thread.
class SplashWindow {
  public:
    virtual ~SplashWindow() = default;
};
