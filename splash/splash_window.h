#pragma once

// The launcher's own splash window. Windows: a thread of its own creates the window, paints it
// and runs its message loop until it is told to quit. POSIX: a window process shows it (no
// display, no splash). The object owns that thread or process; closeSplash deletes it once the
// window is gone.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What the splash window shows.
struct SplashRequest {
    std::string imagePath;
    bool shadow = false;
};

class SplashWindow {
  public:
    virtual ~SplashWindow() = default;
    // Tells the window to go and blocks until it is gone. Safe to call more than once.
    virtual void close() = 0;
};

// Starts the splash window for request; null when nothing could be started. windowHandle
// receives the window's handle once it exists (the owner of error boxes) and keeps it until
// the object is deleted.
std::unique_ptr<SplashWindow> startSplashWindow(const SplashRequest& request,
                                                std::atomic<void*>& windowHandle);

// The drop shadow is wanted only for exactly "true".
bool wantsSplashShadow(const std::string& setting);

struct SplashPosition {
    int32_t left = 0;
    int32_t top = 0;
};
// Centre of a screen; truncating division, so a picture larger than the screen starts left
// of or above its edge.
SplashPosition centredSplashPosition(int32_t screenWidth, int32_t screenHeight, int32_t width,
                                     int32_t height);

// A rectangle of the screen.
struct SplashArea {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};
// The work area of one desktop from the window manager's list (x, y, width and height for each
// desktop in turn), within the monitor: what the desktop leaves to windows there. The monitor
// itself when the list has no such desktop or its area misses the monitor.
SplashArea splashWorkArea(const std::vector<int64_t>& desktopAreas, int64_t desktop,
                          const SplashArea& monitor);
// Whether a picture of width by height fits inside area.
bool fitsSplashArea(int64_t width, int64_t height, const SplashArea& area);

// The picture format that the bytes start with: "png", "jpeg", "gif", "bmp" or "ico" (the
// decoders' names for them); null for anything else.
const char* splashPictureFormat(const unsigned char* data, size_t size);
// True when the bytes start with the PNG signature.
bool isPngData(const unsigned char* data, size_t size);

// A splash picture file larger than this is taken for no picture: reading it whole would only
// exhaust memory.
constexpr uint64_t maximumSplashPictureSize = 256ull * 1024 * 1024;
