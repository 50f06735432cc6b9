// Test tool: creates dialogs 201 and 231 of every language that the executable carries and
// prints each control text that does not fit its control with the dialog's font, as
// "language dialog control: text". Prints nothing when every text fits. Dialog 201's message
// box (203) is measured with its longest message: entry 206 with a version range.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
INT_PTR CALLBACK ignoreMessages(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

BOOL CALLBACK collectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
    reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
    return TRUE;
}

// Push buttons draw their text inside a frame; statics and group boxes use the whole width.
bool textFits(HDC dc, HWND control, const wchar_t* text) {
    wchar_t kind[16] = {};
    GetClassNameW(control, kind, 16);
    LONG style = GetWindowLongW(control, GWL_STYLE);
    bool button = lstrcmpiW(kind, L"Button") == 0;
    bool pushButton = button && (style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON;
    RECT client;
    GetClientRect(control, &client);
    int width = client.right - (pushButton ? 8 : 0);
    RECT needed = {0, 0, width, 0};
    DrawTextW(dc, text, -1, &needed, DT_CALCRECT | (button ? DT_SINGLELINE : DT_WORDBREAK));
    return needed.right <= width && (button || needed.bottom <= client.bottom);
}

// A string-table entry of one language, read from its bundle of 16 counted strings.
std::wstring tableEntry(HINSTANCE instance, WORD language, int id) {
    HRSRC found = FindResourceExW(instance, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    const auto* units =
        found ? static_cast<const WCHAR*>(LockResource(LoadResource(instance, found))) : nullptr;
    if (units == nullptr)
        return {};
    for (int index = 0; index < id % 16; ++index)
        units += 1 + *units;
    return std::wstring(units + 1, *units);
}

// Fills the %s placeholders in order.
std::wstring fill(std::wstring pattern, const std::vector<std::wstring>& values) {
    size_t from = 0;
    for (const std::wstring& value : values) {
        size_t at = pattern.find(L"%s", from);
        if (at == std::wstring::npos)
            break;
        pattern.replace(at, 2, value);
        from = at + value.size();
    }
    return pattern;
}

std::wstring longestMessage(HINSTANCE instance, WORD language) {
    std::wstring range = fill(tableEntry(instance, language, 221), {L"1.8.0.45", L"11.0.2"});
    return fill(tableEntry(instance, language, 206), {range});
}

int reportOverflows(HINSTANCE instance, WORD language, int dialogId) {
    HRSRC found = FindResourceExW(instance, RT_DIALOG, MAKEINTRESOURCEW(dialogId), language);
    auto* dialogTemplate =
        found ? static_cast<LPCDLGTEMPLATEW>(LockResource(LoadResource(instance, found))) : nullptr;
    HWND dialog = dialogTemplate ? CreateDialogIndirectParamW(instance, dialogTemplate, nullptr,
                                                              ignoreMessages, 0)
                                 : nullptr;
    if (dialog == nullptr) {
        std::printf("%u %d: cannot create\n", language, dialogId);
        return 1;
    }
    int overflows = 0;
    HDC dc = GetDC(dialog);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
    for (HWND control = GetWindow(dialog, GW_CHILD); control;
         control = GetWindow(control, GW_HWNDNEXT)) {
        wchar_t text[512] = {};
        if (dialogId == 201 && GetDlgCtrlID(control) == 203)
            SetWindowTextW(control, longestMessage(instance, language).c_str());
        GetWindowTextW(control, text, 512);
        if (text[0] != 0 && !textFits(dc, control, text)) {
            char utf8[1024] = {};
            WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
            std::printf("%u %d %d: %s\n", language, dialogId, GetDlgCtrlID(control), utf8);
            ++overflows;
        }
    }
    SelectObject(dc, previous);
    ReleaseDC(dialog, dc);
    DestroyWindow(dialog);
    return overflows;
}
} // namespace

int wmain() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    std::vector<WORD> languages;
    EnumResourceLanguagesW(instance, RT_DIALOG, MAKEINTRESOURCEW(201), collectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    int overflows = 0;
    for (WORD language : languages)
        for (int dialogId : {201, 231})
            overflows += reportOverflows(instance, language, dialogId);
    std::printf("%zu languages checked\n", languages.size());
    std::fflush(stdout);
    return overflows == 0 ? 0 : 1;
}
