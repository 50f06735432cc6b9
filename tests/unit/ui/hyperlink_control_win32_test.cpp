#include "ui/hyperlink_control_win32.h"

#include "support/wide_text.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

namespace {

const wchar_t settingsKey[] = L"Software\\Microsoft\\Internet Explorer\\Settings";

std::wstring openedTarget;
int openCount = 0;
bool openSucceeds = true;

bool recordOpen(const std::wstring& target) {
    openedTarget = target;
    ++openCount;
    return openSucceeds;
}

// A top-level window with one left-aligned static control wider than its text.
class LinkWindow {
  public:
    explicit LinkWindow(const wchar_t* text, DWORD style = SS_LEFT) {
        parent_ = CreateWindowExW(0, L"STATIC", L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        control_ = CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | style, 10, 10, 300,
                                   40, parent_, nullptr, GetModuleHandleW(nullptr), nullptr);
        ShowWindow(parent_, SW_SHOWNORMAL);
    }
    ~LinkWindow() { DestroyWindow(parent_); }
    HWND control() const { return control_; }
    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageW(control_, message, wParam, lParam);
    }

  private:
    HWND parent_ = nullptr;
    HWND control_ = nullptr;
};

LPARAM point(LONG x, LONG y) {
    return MAKELPARAM(x, y);
}

class AnchorColors {
  public:
    AnchorColors() {
        RegCreateKeyExW(HKEY_CURRENT_USER, settingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key_, nullptr);
    }
    ~AnchorColors() {
        clear();
        RegCloseKey(key_);
    }
    void set(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
        RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), bytes);
    }
    void setText(const wchar_t* name, const std::wstring& text) {
        set(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    void clear() {
        RegDeleteValueW(key_, L"Anchor Color");
        RegDeleteValueW(key_, L"Anchor Color Visited");
    }

  private:
    HKEY key_ = nullptr;
};

TEST(HyperlinkControl, AttachPreparesTheStaticControl) {
    LinkWindow window(L"https://example.org/");
    HyperlinkControl link(recordOpen);
    ASSERT_TRUE(link.subclass(window.control()));
    EXPECT_TRUE(GetWindowLongPtrW(window.control(), GWL_STYLE) & SS_NOTIFY);
    EXPECT_EQ(link.linkCursor(), LoadCursorW(nullptr, IDC_HAND));
    EXPECT_TRUE(IsWindow(link.tooltip()));
    EXPECT_EQ(window.send(WM_GETDLGCODE), DLGC_WANTCHARS);
    EXPECT_EQ(window.send(WM_ERASEBKGND), 1);
    // The link font is the control's font, underlined; the control still reports its own.
    HFONT dialogFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    window.send(WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont), FALSE);
    EXPECT_EQ(reinterpret_cast<HFONT>(window.send(WM_GETFONT)), dialogFont);
    // The clickable area is the text's box, not the whole control.
    RECT rect = link.linkRect();
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_GT(rect.right, 20);
    EXPECT_LT(rect.right, 300);
    EXPECT_LT(rect.bottom, 40);
    // The tooltip knows the one tool with the target.
    EXPECT_EQ(SendMessageW(link.tooltip(), TTM_GETTOOLCOUNT, 0, 0), 1);
}

TEST(HyperlinkControl, AlignmentMovesTheLinkRectangle) {
    const DWORD styles[] = {SS_LEFT, SS_CENTER, SS_RIGHT};
    LONG widths[3] = {};
    LONG lefts[3] = {};
    for (int i = 0; i < 3; ++i) {
        LinkWindow window(L"link", styles[i]);
        HyperlinkControl link(recordOpen);
        ASSERT_TRUE(link.subclass(window.control()));
        lefts[i] = link.linkRect().left;
        widths[i] = link.linkRect().right - link.linkRect().left;
    }
    EXPECT_EQ(widths[0], widths[1]);
    EXPECT_EQ(widths[0], widths[2]);
    EXPECT_EQ(lefts[0], 0);
    EXPECT_EQ(lefts[1], (300 - widths[1]) / 2);
    EXPECT_EQ(lefts[2], 300 - widths[2]);
}

// Clicks count only when they start and end over the text; Space and Enter open too; the
// link turns visited only after an open that succeeded.
TEST(HyperlinkControl, ClicksAndKeysOpenTheTargetOverTheTextOnly) {
    LinkWindow window(L"https://example.org/");
    HyperlinkControl link(recordOpen);
    ASSERT_TRUE(link.subclass(window.control()));
    const RECT rect = link.linkRect();
    const LPARAM inside = point(rect.left + 2, rect.top + 2);
    const LPARAM outside = point(rect.right + 5, rect.top + 2);
    struct Step {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        int expectedOpens;
    };
    const Step steps[] = {
        {WM_LBUTTONDOWN, 0, outside, 0}, {WM_LBUTTONUP, 0, outside, 0},
        {WM_LBUTTONDOWN, 0, inside, 0},  {WM_LBUTTONUP, 0, outside, 0},
        {WM_LBUTTONDOWN, 0, inside, 0},  {WM_LBUTTONUP, 0, inside, 1},
        {WM_CHAR, L' ', 0, 2},           {WM_CHAR, L'\r', 0, 3},
        {WM_CHAR, L'a', 0, 3},           {WM_MOUSEMOVE, 0, inside, 3},
    };
    openCount = 0;
    openSucceeds = false;
    for (const Step& step : steps) {
        EXPECT_EQ(window.send(step.message, step.wParam, step.lParam), 0);
        EXPECT_EQ(openCount, step.expectedOpens) << step.message;
    }
    EXPECT_EQ(openedTarget, L"https://example.org/");
    EXPECT_FALSE(link.visited());
    openSucceeds = true;
    window.send(WM_CHAR, L' ');
    EXPECT_TRUE(link.visited());
    // The button press took the focus and released the capture again.
    EXPECT_EQ(GetFocus(), window.control());
    EXPECT_EQ(GetCapture(), nullptr);
}

// The hand shows over the text only; elsewhere the control's own handling decides.
TEST(HyperlinkControl, HandCursorOverTheTextOnly) {
    LinkWindow window(L"https://example.org/");
    HyperlinkControl link(recordOpen);
    ASSERT_TRUE(link.subclass(window.control()));
    const RECT rect = link.linkRect();
    SetCursor(nullptr);
    EXPECT_EQ(window.send(WM_MOUSEMOVE, 0, point(rect.right + 5, rect.top + 2)), 0);
    EXPECT_NE(GetCursor(), link.linkCursor());
    window.send(WM_MOUSEMOVE, 0, point(rect.left + 2, rect.top + 2));
    EXPECT_EQ(GetCursor(), link.linkCursor());
    const LPARAM setCursor = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    POINT over = {rect.left + 2, rect.top + 2};
    ClientToScreen(window.control(), &over);
    ASSERT_TRUE(SetCursorPos(over.x, over.y));
    EXPECT_EQ(window.send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window.control()), setCursor),
              TRUE);
    POINT beside = {rect.right + 5, rect.top + 2};
    ClientToScreen(window.control(), &beside);
    ASSERT_TRUE(SetCursorPos(beside.x, beside.y));
    window.send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window.control()), setCursor);
    EXPECT_NE(GetCursor(), link.linkCursor());
}

TEST(HyperlinkControl, ColorsFollowTheBrowserSettings) {
    struct Case {
        const wchar_t* link;
        const wchar_t* visited;
        ColorValue expectedLink;
        ColorValue expectedVisited;
    };
    const Case cases[] = {
        {nullptr, nullptr, defaultLinkColor, defaultVisitedColor},
        {L"0,128,255", L"1,2,3", rgbColor(0, 128, 255), rgbColor(1, 2, 3)},
        {L"-1,0,0", L"255,255", defaultLinkColor, defaultVisitedColor},
        {L"10,100,1000", nullptr, rgbColor(10, 100, 232), defaultVisitedColor},
        {L"100,100,1000", nullptr, defaultLinkColor, defaultVisitedColor}, // 12 characters
    };
    AnchorColors registry;
    for (const Case& c : cases) {
        registry.clear();
        if (c.link)
            registry.setText(L"Anchor Color", c.link);
        if (c.visited)
            registry.setText(L"Anchor Color Visited", c.visited);
        LinkWindow window(L"link");
        HyperlinkControl link(recordOpen);
        ASSERT_TRUE(link.subclass(window.control()));
        EXPECT_EQ(link.linkColor(), c.expectedLink) << (c.link ? toUtf8(c.link) : "");
        EXPECT_EQ(link.visitedColor(), c.expectedVisited);
    }
    // Values of another type keep the defaults. (An unterminated text cannot be tested here:
    // Wine's registry hands it back terminated.)
    const DWORD number = 0x00FF00;
    const char narrow[] = "1,2,3";
    registry.clear();
    registry.set(L"Anchor Color", REG_DWORD, &number, sizeof number);
    registry.set(L"Anchor Color Visited", REG_BINARY, narrow, sizeof narrow);
    LinkWindow window(L"link");
    HyperlinkControl link(recordOpen);
    ASSERT_TRUE(link.subclass(window.control()));
    EXPECT_EQ(link.linkColor(), defaultLinkColor);
    EXPECT_EQ(link.visitedColor(), defaultVisitedColor);
}

} // namespace
