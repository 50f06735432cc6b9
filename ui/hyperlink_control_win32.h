#pragma once

// A static text control of a dialog turned into a link: drawn in link colours with an
// underlined font, hand cursor and tooltip over the text, a focus rectangle, and the target
// opened through the shell on a click or on Space / Enter. Lives on the dialog's thread and
// must outlive the window it subclasses.

#include "support/unique_resource.h"
#include "ui/link_color.h"

#include <windows.h>

#include <string>

class HyperlinkControl {
  public:
    // Opens a link target; true when it was opened. The shell's "open" verb by default.
    using Opener = bool (*)(const std::wstring& target);

    explicit HyperlinkControl(Opener opener = openWithShell) : opener_(opener) {}
    ~HyperlinkControl();
    HyperlinkControl(const HyperlinkControl&) = delete;
    HyperlinkControl& operator=(const HyperlinkControl&) = delete;

    // Takes over control (its current font becomes normalFont) and attaches to it. False
    // when the window procedure cannot be replaced.
    bool subclass(HWND control);
    // Prepares the attached window: style, cursor, fonts, tooltip, label, target, colours.
    void attach();
    // The target opened and shown in the tooltip.
    bool setHyperlink(const std::wstring& target);

    RECT linkRect() const { return linkRect_; }
    ColorValue linkColor() const { return linkColor_; }
    ColorValue visitedColor() const { return visitedColor_; }
    bool visited() const { return visited_; }
    HWND tooltip() const { return tooltip_.get(); }
    HCURSOR linkCursor() const { return linkCursor_; }

    static bool openWithShell(const std::wstring& target);

  private:
    struct FontTraits {
        static HGDIOBJ invalid() { return nullptr; }
        static void release(HGDIOBJ font) { DeleteObject(font); }
    };
    using OwnedFont = UniqueResource<FontTraits>;
    struct TooltipTraits {
        static HWND invalid() { return nullptr; }
        static void release(HWND window) { DestroyWindow(window); }
    };

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // True when the message was handled; result is then its answer.
    bool handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool handleMouse(UINT message, LPARAM lParam, LRESULT& result);
    void relayToTooltip(UINT message, WPARAM wParam, LPARAM lParam);
    void onSetFont(HFONT font, bool redraw);
    void onDestroy();

    void createLinkFont();
    void calcLinkRect();
    void paintLink(HDC given);
    bool navigate();
    void addTool();
    void readLinkColors();
    bool overLink(POINT point) const;
    const std::wstring& shownText() const { return label_.empty() ? hyperlink_ : label_; }
    UINT textFormat() const;

    Opener opener_;
    HWND window_ = nullptr;
    WNDPROC previous_ = nullptr;
    std::wstring label_;
    std::wstring hyperlink_;
    HCURSOR linkCursor_ = nullptr;
    HFONT linkFont() const { return static_cast<HFONT>(linkFont_.get()); }

    OwnedFont linkFont_; // always created by the control
    HFONT normalFont_ = nullptr;
    OwnedFont ownedNormalFont_; // set when normalFont_ was created by the control
    RECT linkRect_ = {};
    UniqueResource<TooltipTraits> tooltip_;
    ColorValue linkColor_ = defaultLinkColor;
    ColorValue visitedColor_ = defaultVisitedColor;
    bool visited_ = false;
};
