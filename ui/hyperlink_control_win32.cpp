#include "ui/hyperlink_control_win32.h"

#include "support/wide_text.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

const wchar_t controlProperty[] = L"HyperlinkControl";

struct RegistryKeyTraits {
    static HKEY invalid() { return nullptr; }
    static void release(HKEY key) { RegCloseKey(key); }
};
using RegistryKey = UniqueResource<RegistryKeyTraits>;

// A colour value of at most 11 characters and a terminator, stored as text.
ColorValue readColorValue(HKEY key, const wchar_t* name) {
    wchar_t text[12] = {};
    DWORD type = 0;
    DWORD bytes = sizeof text;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) !=
        ERROR_SUCCESS)
        return invalidColor;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return invalidColor;
    if (bytes != 0 && (bytes % sizeof(wchar_t) != 0 || text[bytes / sizeof(wchar_t) - 1] != 0))
        return invalidColor;
    return parseColor(toUtf8(text));
}

bool pointInRect(const RECT& rect, POINT point) {
    return PtInRect(&rect, point) != FALSE;
}

} // namespace

HyperlinkControl::~HyperlinkControl() {
    // The window normally goes first; a control still subclassed gets its procedure back.
    if (window_ && IsWindow(window_) && previous_) {
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        RemovePropW(window_, controlProperty);
    }
}

bool HyperlinkControl::openWithShell(const std::wstring& target) {
    HINSTANCE result =
        ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool HyperlinkControl::subclass(HWND control) {
    normalFont_ = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    window_ = control;
    if (!SetPropW(control, controlProperty, this))
        return false;
    previous_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(windowProc)));
    if (previous_ == nullptr) {
        RemovePropW(control, controlProperty);
        return false;
    }
    attach();
    return true;
}

LRESULT CALLBACK HyperlinkControl::windowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    auto* control = static_cast<HyperlinkControl*>(GetPropW(window, controlProperty));
    if (control == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    WNDPROC previous = control->previous_;
    LRESULT result = 0;
    if (control->handle(message, wParam, lParam, result))
        return result;
    if (message == WM_NCDESTROY) {
        // The last message: give the window its own procedure back before it goes.
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropW(window, controlProperty);
        control->window_ = nullptr;
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

void HyperlinkControl::attach() {
    wchar_t className[8] = {};
    GetClassNameW(window_, className, 8);
    LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
    // A static control without SS_NOTIFY receives no mouse messages.
    if (lstrcmpiW(className, L"static") == 0 && !(style & SS_NOTIFY))
        SetWindowLongPtrW(window_, GWL_STYLE, style | SS_NOTIFY);
    linkCursor_ = LoadCursorW(nullptr, IDC_HAND);
    if (normalFont_ == nullptr) {
        LOGFONTW font = {};
        if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0)) {
            ownedNormalFont_.reset(CreateFontIndirectW(&font));
            normalFont_ = static_cast<HFONT>(ownedNormalFont_.get());
        }
    }
    if (linkFont() == nullptr)
        createLinkFont();
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    tooltip_.reset(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                                   GetModuleHandleW(nullptr), nullptr));
    int length = GetWindowTextLengthW(window_);
    if (label_.empty() && length > 0) {
        label_.assign(static_cast<size_t>(length) + 1, L'\0');
        label_.resize(static_cast<size_t>(GetWindowTextW(window_, label_.data(), length + 1)));
    }
    calcLinkRect();
    if (!hyperlink_.empty())
        addTool();
    else if (!label_.empty())
        setHyperlink(label_);
    readLinkColors();
}

void HyperlinkControl::readLinkColors() {
    // Reading needs no write access, and asking for it would fail for a user without rights
    // to the key and silently lose their colours.
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Settings", 0,
                      KEY_READ, &opened) != ERROR_SUCCESS)
        return;
    RegistryKey key(opened);
    ColorValue color = readColorValue(key.get(), L"Anchor Color");
    if (color != invalidColor)
        linkColor_ = color;
    color = readColorValue(key.get(), L"Anchor Color Visited");
    if (color != invalidColor)
        visitedColor_ = color;
}

bool HyperlinkControl::setHyperlink(const std::wstring& target) {
    hyperlink_ = target;
    if (label_.empty())
        calcLinkRect();
    addTool();
    return true;
}

void HyperlinkControl::addTool() {
    if (!IsWindow(tooltip_.get()))
        return;
    SendMessageW(tooltip_.get(), TTM_ACTIVATE, TRUE, 0);
    // The record without its trailing reserved pointer: older tooltip versions reject it.
    TTTOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = window_;
    tool.uId = 1;
    tool.rect = linkRect_;
    tool.hinst = GetModuleHandleW(nullptr);
    tool.lpszText = hyperlink_.data();
    SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void HyperlinkControl::createLinkFont() {
    linkFont_.reset();
    HGDIOBJ base = normalFont_ ? static_cast<HGDIOBJ>(normalFont_) : GetStockObject(SYSTEM_FONT);
    LOGFONTW font = {};
    if (GetObjectW(base, sizeof font, &font) == 0)
        return;
    font.lfUnderline = TRUE;
    linkFont_.reset(CreateFontIndirectW(&font));
}

UINT HyperlinkControl::textFormat() const {
    LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE) & SS_TYPEMASK;
    UINT alignment = style == SS_CENTER ? DT_CENTER : style == SS_RIGHT ? DT_RIGHT : DT_LEFT;
    return alignment | DT_WORDBREAK;
}

void HyperlinkControl::calcLinkRect() {
    if (!IsWindow(window_) || (label_.empty() && hyperlink_.empty()))
        return;
    RECT client = {};
    GetClientRect(window_, &client);
    linkRect_ = client;
    HDC dc = GetDC(window_);
    if (dc == nullptr)
        return;
    HGDIOBJ previous = linkFont() ? SelectObject(dc, linkFont()) : nullptr;
    const std::wstring& text = shownText();
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &linkRect_,
              textFormat() | DT_CALCRECT);
    if (previous)
        SelectObject(dc, previous);
    ReleaseDC(window_, dc);
    LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE) & SS_TYPEMASK;
    if (style == SS_CENTER)
        OffsetRect(&linkRect_, (client.right - linkRect_.right) / 2, 0);
    else if (style == SS_RIGHT)
        OffsetRect(&linkRect_, client.right - linkRect_.right, 0);
}

void HyperlinkControl::paintLink(HDC given) {
    PAINTSTRUCT paint = {};
    HDC dc = given ? given : BeginPaint(window_, &paint);
    if (dc == nullptr)
        return;
    HWND parent = GetParent(window_);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(parent, WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(window_)));
    if (brush) {
        RECT client = {};
        GetClientRect(window_, &client);
        FillRect(dc, &client, brush);
    }
    SetBkMode(dc, TRANSPARENT);
    COLORREF color = !IsWindowEnabled(window_) ? GetSysColor(COLOR_GRAYTEXT)
                     : visited_                ? visitedColor_
                                               : linkColor_;
    COLORREF previousColor = SetTextColor(dc, color);
    HFONT font = linkFont() ? linkFont() : normalFont_;
    HGDIOBJ previousFont = font ? SelectObject(dc, font) : nullptr;
    RECT rect = linkRect_;
    const std::wstring& text = shownText();
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, textFormat());
    if (GetFocus() == window_)
        DrawFocusRect(dc, &linkRect_);
    SetTextColor(dc, previousColor);
    if (previousFont)
        SelectObject(dc, previousFont);
    if (!given)
        EndPaint(window_, &paint);
}

bool HyperlinkControl::navigate() {
    if (!opener_(hyperlink_))
        return false;
    visited_ = true;
    InvalidateRect(window_, nullptr, TRUE);
    return true;
}

bool HyperlinkControl::overLink(POINT point) const {
    return !hyperlink_.empty() && pointInRect(linkRect_, point);
}

void HyperlinkControl::relayToTooltip(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!tooltip_)
        return;
    MSG record = {window_, message, wParam, lParam, 0, {0, 0}};
    SendMessageW(tooltip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&record));
}

bool HyperlinkControl::handleMouse(UINT message, LPARAM lParam, LRESULT& result) {
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    result = 0;
    switch (message) {
    case WM_MOUSEMOVE:
        if (!overLink(point))
            return false;
        SetCursor(linkCursor_);
        return true;
    case WM_LBUTTONDOWN:
        if (pointInRect(linkRect_, point)) {
            SetFocus(window_);
            SetCapture(window_);
        }
        return true;
    case WM_LBUTTONUP:
        if (GetCapture() == window_)
            ReleaseCapture();
        if (pointInRect(linkRect_, point))
            navigate();
        return true;
    default:
        return false;
    }
}

void HyperlinkControl::onSetFont(HFONT font, bool redraw) {
    ownedNormalFont_.reset();
    normalFont_ = font;
    if (linkFont())
        createLinkFont();
    calcLinkRect();
    if (redraw) {
        InvalidateRect(window_, nullptr, TRUE);
        UpdateWindow(window_);
    }
}

void HyperlinkControl::onDestroy() {
    // The tooltip is a child of the control and may be gone already.
    if (!IsWindow(tooltip_.get()))
        tooltip_.release();
    tooltip_.reset();
    linkFont_.reset();
    if (ownedNormalFont_) {
        ownedNormalFont_.reset();
        normalFont_ = nullptr;
    }
}

bool HyperlinkControl::handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message >= WM_MOUSEFIRST && message <= WM_XBUTTONDBLCLK) {
        relayToTooltip(message, wParam, lParam);
        return handleMouse(message, lParam, result);
    }
    result = 0;
    switch (message) {
    case WM_SETCURSOR: {
        POINT point = {};
        GetCursorPos(&point);
        ScreenToClient(window_, &point);
        if (!overLink(point))
            return false;
        result = TRUE;
        return true;
    }
    case WM_CHAR:
        if (wParam == 13 || wParam == 32)
            navigate();
        return true;
    case WM_GETDLGCODE:
        result = DLGC_WANTCHARS;
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(window_, nullptr, TRUE);
        return true;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        paintLink(reinterpret_cast<HDC>(wParam));
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_SIZE:
        calcLinkRect();
        InvalidateRect(window_, nullptr, TRUE);
        return true;
    case WM_SETFONT:
        onSetFont(reinterpret_cast<HFONT>(wParam), lParam != 0);
        return true;
    case WM_ENABLE:
        InvalidateRect(window_, nullptr, TRUE);
        UpdateWindow(window_);
        return true;
    case WM_GETFONT:
        result = reinterpret_cast<LRESULT>(normalFont_);
        return true;
    case WM_UPDATEUISTATE:
        return true;
    case WM_DESTROY:
        onDestroy();
        return false;
    default:
        return false;
    }
}
