#include "ui/messages.h"

#include "support/wide_text.h"

#include <windows.h>

std::string loadResourceString(int id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out a pointer into the resource itself.
    int length = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id),
                             reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr)
        return {};
    return toUtf8(text, static_cast<size_t>(length));
}

void reportError(OsHandle owner, const std::string& text) {
    MessageBoxW(static_cast<HWND>(owner), toWide(text).c_str(), nullptr, MB_OK | MB_ICONERROR);
}
