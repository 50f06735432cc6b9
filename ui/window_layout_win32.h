#pragma once

// Placement and resizing of the launcher's Win32 dialogs. Everything runs on the thread that
// owns the dialog; the arithmetic lives in ui/window_placement.h.

#include "ui/window_placement.h"

#include <windows.h>

#include <vector>

// Centres a top-level dialog on its visible, non-minimised owner, or else on the work area of
// the nearest monitor, and keeps it inside that work area. False (the dialog stays where it
// is) when the monitor or its work area cannot be obtained.
bool centerWindow(HWND dialog);

// Keeps the controls of a resizable dialog anchored to its right and bottom edges, shows a
// size grip in the bottom right corner, and stops the dialog from shrinking below the size it
// opened with. One per dialog, living as long as the dialog.
class DialogLayout {
  public:
    // From WM_INITDIALOG, after the dialog has been centred. rows ends with the id -1.
    void initLayout(HWND dialog, const AnchorRow* rows);
    // Forward WM_SIZE and WM_GETMINMAXINFO here; true when the message was handled.
    bool handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    struct Entry {
        int32_t controlId;
        uint32_t flags;
        PixelRect initial;
    };

    void onSize(WPARAM sizeType, int32_t width, int32_t height);
    void updateLayout(int32_t width, int32_t height);
    void positionControl(const Entry& entry, int32_t width, int32_t height);
    void addEntry(HWND control, int32_t controlId, uint32_t flags);

    HWND dialog_ = nullptr;
    std::vector<Entry> entries_;
    int32_t initialWidth_ = 0;
    int32_t initialHeight_ = 0;
    POINT minimumTrackSize_ = {-1, -1};
    HWND sizeGrip_ = nullptr; // a child of the dialog, destroyed with it
};
