#include "splash/splash_window.h"

#include "splash/splash_picture_win32.h"

#include <objbase.h>

namespace {

constexpr wchar_t splashClassName[] = L"SplashScreenWindow";

struct HandleTraits {
    static HANDLE invalid() { return nullptr; }
    static void release(HANDLE handle) { CloseHandle(handle); }
};

struct WindowTraits {
    static HWND invalid() { return nullptr; }
    static void release(HWND window) { DestroyWindow(window); }
};

struct ExclusiveLockTraits {
    static SRWLOCK* invalid() { return nullptr; }
    static void release(SRWLOCK* lock) { ReleaseSRWLockExclusive(lock); }
};
using HeldLock = UniqueResource<ExclusiveLockTraits>;

class ComApartment {
  public:
    ComApartment() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (initialized_)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    bool initialized_;
};

// What the window reaches through its user data: the bitmap it paints, and the launcher's
// record of its handle, cleared as soon as the window is gone so that no error box is given a
// dead owner.
struct SplashSurface {
    UniqueBitmap bitmap;
    std::atomic<void*>* handleSlot = nullptr;
    bool destroyed = false;
};

void paint(HWND window, const SplashSurface& surface) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    BITMAP size{};
    UniqueDc memory(CreateCompatibleDC(dc));
    if (memory && GetObjectW(surface.bitmap.get(), sizeof(size), &size) != 0) {
        HGDIOBJ old = SelectObject(memory.get(), surface.bitmap.get());
        BitBlt(dc, 0, 0, size.bmWidth, size.bmHeight, memory.get(), 0, 0, SRCCOPY);
        SelectObject(memory.get(), old);
    }
    EndPaint(window, &paint);
}

LRESULT CALLBACK splashWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* surface = reinterpret_cast<SplashSurface*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_PAINT:
        if (surface == nullptr)
            break;
        paint(window, *surface);
        return 0;
    case WM_NCDESTROY:
        if (surface != nullptr) {
            *surface->handleSlot = nullptr;
            surface->destroyed = true;
        }
        break;
    case WM_ERASEBKGND:
        // The bitmap covers the whole window: erasing first would only make it flicker.
        return 1;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool tryRegister(UINT style) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = style;
    windowClass.lpfnWndProc = splashWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = splashClassName;
    return RegisterClassExW(&windowClass) != 0;
}

// Registers the class once per process; a system that refuses the drop shadow gets the class
// without it.
bool registerSplashClass(bool shadow) {
    // Constant-initialised: no guard, and no C++ thread library behind the lock.
    static SRWLOCK lock = SRWLOCK_INIT;
    static bool registered = false;
    AcquireSRWLockExclusive(&lock);
    HeldLock held(&lock);
    if (registered)
        return true;
    const UINT plain = CS_DBLCLKS | CS_SAVEBITS;
    registered = (shadow && tryRegister(plain | CS_DROPSHADOW)) || tryRegister(plain);
    return registered;
}

// Per-pixel alpha: the picture is handed to the system once and composed by it from then on.
void showAlphaPicture(HWND window, HBITMAP bitmap, SplashPosition position, SIZE size) {
    HDC screen = GetDC(nullptr);
    UniqueDc memory(CreateCompatibleDC(screen));
    if (memory) {
        HGDIOBJ old = SelectObject(memory.get(), bitmap);
        POINT destination{position.left, position.top};
        POINT source{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        UpdateLayeredWindow(window, screen, &destination, &size, memory.get(), &source, 0, &blend,
                            ULW_ALPHA);
        SelectObject(memory.get(), old);
    }
    ReleaseDC(nullptr, screen);
}

// Creates the hidden splash window of the picture at imagePath, centred on the primary screen;
// null when the class is refused or the window cannot be made.
HWND createSplashWindow(const std::string& imagePath, bool shadow, SplashSurface& surface) {
    bool classReady = registerSplashClass(shadow);
    SplashPicture picture;
    // A picture that cannot be read leaves a window of no size: nothing shows, nothing is said.
    picture.loadFromFile(imagePath);
    picture.renderToBitmap(surface.bitmap);
    int32_t width = picture.widthPixels();
    int32_t height = picture.heightPixels();
    SplashPosition position = centredSplashPosition(GetSystemMetrics(SM_CXSCREEN),
                                                    GetSystemMetrics(SM_CYSCREEN), width, height);
    if (!classReady)
        return nullptr;
    DWORD extendedStyle = WS_EX_TOOLWINDOW | (picture.hasAlpha() ? WS_EX_LAYERED : 0);
    HWND window = CreateWindowExW(extendedStyle, splashClassName, nullptr, WS_POPUP, position.left,
                                  position.top, width, height, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), &surface);
    if (window != nullptr && picture.hasAlpha())
        showAlphaPicture(window, surface.bitmap.get(), position, SIZE{width, height});
    return window;
}

class Win32SplashWindow : public SplashWindow {
  public:
    Win32SplashWindow(SplashRequest request, std::atomic<void*>& windowHandle)
        : request_(std::move(request)), windowHandle_(windowHandle) {
        surface_.handleSlot = &windowHandle;
    }
    ~Win32SplashWindow() override { close(); }

    bool start() {
        thread_.reset(CreateThread(nullptr, 0, threadEntry, this, 0, &threadId_));
        return thread_.valid();
    }

    void close() override {
        if (!thread_)
            return;
        // A quit posted before the thread has a message queue is lost, so it is posted again
        // until the thread has ended; the short wait keeps the loop from taking the processor
        // from the thread it waits for.
        do
            PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        while (WaitForSingleObject(thread_.get(), 1) == WAIT_TIMEOUT);
        thread_.reset();
        threadId_ = 0;
        windowHandle_ = nullptr;
    }

  private:
    static DWORD WINAPI threadEntry(LPVOID self) {
        static_cast<Win32SplashWindow*>(self)->run();
        return 0;
    }

    void run() {
        ComApartment apartment;
        UniqueResource<WindowTraits> window(
            createSplashWindow(request_.imagePath, request_.shadow, surface_));
        windowHandle_ = window.get();
        if (window) {
            ShowWindow(window.get(), SW_SHOWNORMAL);
            UpdateWindow(window.get());
        }
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        // A window closed by the user (Alt+F4) is already gone; its handle is then stale.
        if (surface_.destroyed)
            window.release();
    }

    SplashRequest request_;
    std::atomic<void*>& windowHandle_;
    SplashSurface surface_;
    UniqueResource<HandleTraits> thread_;
    DWORD threadId_ = 0;
};

} // namespace

std::unique_ptr<SplashWindow> startSplashWindow(const SplashRequest& request,
                                                std::atomic<void*>& windowHandle) {
    auto window = std::make_unique<Win32SplashWindow>(request, windowHandle);
    if (!window->start())
        return nullptr;
    return window;
}
