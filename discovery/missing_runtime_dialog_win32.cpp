#include "discovery/missing_runtime_dialog_win32.h"

#include "support/wide_text.h"
#include "ui/messages.h"
#include "ui/resource_language_win32.h"
#include "ui/window_layout_win32.h"

#include <shlobj.h>

namespace {

constexpr int editFolder = 201;
constexpr int buttonBrowse = 202;
constexpr int textMessage = 203;
constexpr int textLink = 205;

// The folder browser's own dialog style needs COM on this thread.
struct ComTraits {
    static bool invalid() { return false; }
    static void release(bool) { CoUninitialize(); }
};

struct ItemListTraits {
    static PIDLIST_ABSOLUTE invalid() { return nullptr; }
    static void release(PIDLIST_ABSOLUTE list) { CoTaskMemFree(list); }
};

} // namespace

bool browseWithShell(HWND owner, const std::wstring& title, std::wstring& folder) {
    UniqueResource<ComTraits> com(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    UniqueResource<ItemListTraits> list(SHBrowseForFolderW(&info));
    if (!list)
        return false;
    wchar_t path[MAX_PATH] = {};
    // A pick without a file-system path (a virtual folder) reads as an empty path.
    if (!SHGetPathFromIDListW(list.get(), path))
        path[0] = L'\0';
    folder = path;
    return true;
}

INT_PTR MissingRuntimeDialog::run(HWND owner) {
    return localizedDialogBox(201, owner, dialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK MissingRuntimeDialog::dialogProc(HWND dialog, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<MissingRuntimeDialog*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        self->onInitDialog(dialog);
        return TRUE;
    }
    auto* self = reinterpret_cast<MissingRuntimeDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (self == nullptr || message != WM_COMMAND)
        return FALSE;
    // The control alone decides; Esc and the close box arrive as IDCANCEL.
    switch (LOWORD(wParam)) {
    case IDOK:
        EndDialog(dialog, IDOK);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case buttonBrowse:
        self->onBrowse();
        return TRUE;
    default:
        return FALSE;
    }
}

void MissingRuntimeDialog::onInitDialog(HWND dialog) {
    dialog_ = dialog;
    link_.subclass(GetDlgItem(dialog, textLink));
    SetDlgItemTextW(dialog, textMessage, toWide(request_.message).c_str());
    EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
    centerWindow(dialog);
}

void MissingRuntimeDialog::onBrowse() {
    std::wstring title = toWide(loadResourceString(MessageId::browseForJreFolder));
    std::wstring folder;
    if (!browser_(dialog_, title, folder))
        return;
    SetDlgItemTextW(dialog_, editFolder, folder.c_str());
    pick_.pick(toUtf8(folder));
    EnableWindow(GetDlgItem(dialog_, IDOK), pick_.accepted());
}

MissingRuntimeAnswer runMissingRuntimeDialog(const MissingRuntimeRequest& request,
                                             RuntimeFolderPick& pick) {
    MissingRuntimeDialog dialog(request, pick);
    INT_PTR result = dialog.run(GetActiveWindow());
    if (result == IDOK)
        return MissingRuntimeAnswer::ok;
    if (result == IDCANCEL)
        return MissingRuntimeAnswer::cancel;
    SetLastError(ERROR_OUTOFMEMORY);
    return MissingRuntimeAnswer::notShown;
}
