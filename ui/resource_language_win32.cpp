#include "ui/resource_language_win32.h"

#include "ui/resource_language.h"

HRSRC findLocalizedResource(LPCWSTR type, LPCWSTR name) {
    HMODULE module = GetModuleHandleW(nullptr);
    WORD language = resourceLanguageFor(LANGIDFROMLCID(GetThreadLocale()));
    HRSRC found = language ? FindResourceExW(module, type, name, language) : nullptr;
    return found ? found
                 : FindResourceExW(module, type, name, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
}

INT_PTR localizedDialogBox(int dialogId, HWND owner, DLGPROC proc, LPARAM param) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = findLocalizedResource(RT_DIALOG, MAKEINTRESOURCEW(dialogId));
    // Resource data stays mapped with the module; there is nothing to release.
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data == nullptr)
        return -1;
    return DialogBoxIndirectParamW(module, static_cast<LPCDLGTEMPLATEW>(data), owner, proc, param);
}
