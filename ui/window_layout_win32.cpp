#include "ui/window_layout_win32.h"

namespace {

constexpr int sizeGripId = 0xE801;

PixelRect toPixelRect(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// The window rectangle of a control in its dialog's client coordinates.
PixelRect clientRectOf(HWND control, HWND dialog) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return toPixelRect(rect);
}

void addStyle(HWND window, int index, LONG_PTR bits) {
    LONG_PTR style = GetWindowLongPtrW(window, index);
    if ((style & bits) != bits)
        SetWindowLongPtrW(window, index, style | bits);
}

} // namespace

bool centerWindow(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    if (owner != nullptr && (!IsWindowVisible(owner) || IsIconic(owner)))
        owner = nullptr;
    HMONITOR monitor = MonitorFromWindow(owner ? owner : dialog, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor == nullptr || !GetMonitorInfoW(monitor, &info))
        return false;
    RECT window{};
    GetWindowRect(dialog, &window);
    PixelRect ownerRect;
    if (owner != nullptr) {
        RECT rect{};
        GetWindowRect(owner, &rect);
        ownerRect = toPixelRect(rect);
    }
    PixelRect size = toPixelRect(window);
    PixelPoint at = centeredPosition(size.width(), size.height(), owner ? &ownerRect : nullptr,
                                     toPixelRect(info.rcWork));
    SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

void DialogLayout::initLayout(HWND dialog, const AnchorRow* rows) {
    dialog_ = dialog;
    addStyle(dialog, GWL_STYLE, WS_CLIPCHILDREN);
    bool topLevel = (GetWindowLongPtrW(dialog, GWL_STYLE) & WS_CHILD) == 0;
    if (topLevel) {
        // A modal frame keeps the caption free of an icon.
        addStyle(dialog, GWL_EXSTYLE, WS_EX_DLGMODALFRAME);
        if (SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0) == 0)
            SendMessageW(dialog, WM_SETICON, ICON_SMALL, 0);
        SetWindowPos(dialog, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT client{};
    GetClientRect(dialog, &client);
    initialWidth_ = client.right;
    initialHeight_ = client.bottom;
    entries_.clear();

    // Laid over the whole client area, the grip aligns itself to the bottom right corner.
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
    sizeGrip_ = CreateWindowExW(0, L"SCROLLBAR", nullptr,
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBS_SIZEGRIP |
                                    SBS_SIZEBOX | SBS_SIZEBOXBOTTOMRIGHTALIGN,
                                0, 0, client.right, client.bottom, dialog,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(sizeGripId)), instance,
                                nullptr);
    if (sizeGrip_ != nullptr)
        addEntry(sizeGrip_, sizeGripId, Anchor::MoveX | Anchor::MoveY | Anchor::Repaint);

    RECT window{};
    GetWindowRect(dialog, &window);
    minimumTrackSize_ = topLevel ? POINT{window.right - window.left, window.bottom - window.top}
                                 : POINT{client.right, client.bottom};
    for (const AnchorRow* row = rows; row->controlId != -1; ++row)
        addEntry(GetDlgItem(dialog, row->controlId), row->controlId, row->flags);
}

void DialogLayout::addEntry(HWND control, int32_t controlId, uint32_t flags) {
    // A missing control keeps an empty rectangle; positioning skips it.
    PixelRect initial = control != nullptr ? clientRectOf(control, dialog_) : PixelRect{};
    entries_.push_back({controlId, flags, initial});
}

bool DialogLayout::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) {
        // Sizes arrive while the dialog is created, before there is anything to lay out.
        if (dialog_ != nullptr)
            onSize(wParam, static_cast<int16_t>(LOWORD(lParam)),
                   static_cast<int16_t>(HIWORD(lParam)));
        return true;
    }
    if (message == WM_GETMINMAXINFO) {
        if (minimumTrackSize_.x != -1 && minimumTrackSize_.y != -1)
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = minimumTrackSize_;
        return true;
    }
    return false;
}

void DialogLayout::onSize(WPARAM sizeType, int32_t width, int32_t height) {
    if (sizeGrip_ != nullptr) {
        // A maximised window cannot be resized by its corner.
        if (sizeType == SIZE_MAXIMIZED)
            ShowWindow(sizeGrip_, SW_HIDE);
        else if (sizeType == SIZE_RESTORED)
            ShowWindow(sizeGrip_, SW_SHOW);
    }
    if (sizeType == SIZE_MINIMIZED)
        return;
    updateLayout(width, height);
}

void DialogLayout::updateLayout(int32_t width, int32_t height) {
    bool visible = IsWindowVisible(dialog_) != FALSE;
    if (visible)
        SendMessageW(dialog_, WM_SETREDRAW, FALSE, 0);
    for (const Entry& entry : entries_)
        positionControl(entry, width, height);
    if (visible)
        SendMessageW(dialog_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(dialog_, nullptr, nullptr,
                 RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void DialogLayout::positionControl(const Entry& entry, int32_t width, int32_t height) {
    HWND control = GetDlgItem(dialog_, entry.controlId);
    if (control == nullptr)
        return;
    PixelRect current = clientRectOf(control, dialog_);
    PixelRect target = anchoredRect(entry.flags, entry.initial, current, width - initialWidth_,
                                    height - initialHeight_);
    if (entry.flags & Anchor::Repaint)
        InvalidateRect(control, nullptr, TRUE);
    if (entry.flags != 0)
        SetWindowPos(control, nullptr, target.left, target.top, target.width(), target.height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
}
