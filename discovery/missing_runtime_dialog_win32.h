#pragma once

// Dialog 201 "JRE Not Found" on Win32: the message, the download link, the folder browser,
// and OK enabled only while the picked folder holds a VM library.

#include "discovery/missing_runtime.h"
#include "ui/hyperlink_control_win32.h"

#include <windows.h>

#include <string>

// Asks for a folder; false when the user cancelled. The shell's folder browser by default.
using FolderBrowser = bool (*)(HWND owner, const std::wstring& title, std::wstring& folder);
bool browseWithShell(HWND owner, const std::wstring& title, std::wstring& folder);

class MissingRuntimeDialog {
  public:
    MissingRuntimeDialog(const MissingRuntimeRequest& request, RuntimeFolderPick& pick,
                         FolderBrowser browser = browseWithShell,
                         HyperlinkControl::Opener opener = HyperlinkControl::openWithShell)
        : request_(request), pick_(pick), browser_(browser), link_(opener) {}

    // Runs the dialog modally with template 201 of the module's resources: 1 for OK, 2 for
    // Cancel, -1 when it could not be shown.
    INT_PTR run(HWND owner);

  private:
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void onInitDialog(HWND dialog);
    void onBrowse();

    const MissingRuntimeRequest& request_;
    RuntimeFolderPick& pick_;
    FolderBrowser browser_;
    HyperlinkControl link_;
    HWND dialog_ = nullptr;
};
