#include "ui/exception_dialog.h"

#include "support/wide_text.h"
#include "ui/resource_language_win32.h"
#include "ui/trace_box_text.h"
#include "ui/window_layout_win32.h"

#include <windows.h>

namespace {

constexpr int dialogId = 231;
constexpr int traceBoxId = 208;
// The longest line the edit control shows: under Wine it draws no text at all once a line is
// some ten thousand pixels wide (4096 characters were too many, 1024 are drawn).
constexpr size_t maxEditLineLength = 1024;

struct ExceptionDialog {
    std::wstring report;
    DialogLayout layout;
};

// The text as the edit control shows it: lines end with CR LF (the control breaks lines only
// there, and a trace may end them with LF alone), and U+0000, where the control's text would
// end, shows as U+FFFD so that the rest of the trace stays. The control does not wrap; a line
// too long for it to draw goes on in the next line (traceBoxText).
std::wstring editControlText(const std::wstring& text) {
    std::wstring result;
    result.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r'))
            result.push_back(L'\r');
        result.push_back(text[i] == L'\0' ? L'\xFFFD' : text[i]);
    }
    return result;
}

INT_PTR initDialog(HWND dialog, ExceptionDialog& state) {
    HWND traceBox = GetDlgItem(dialog, traceBoxId);
    // Lift the typing limit as well, so that no system cuts a long trace short.
    SendMessageW(traceBox, EM_SETLIMITTEXT, 0, 0);
    SetWindowTextW(traceBox, state.report.c_str());
    SendMessageW(traceBox, EM_SETREADONLY, TRUE, 0);
    centerWindow(dialog);
    state.layout.initLayout(dialog, javaExceptionAnchors);
    return TRUE;
}

INT_PTR CALLBACK exceptionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<ExceptionDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return initDialog(dialog, *reinterpret_cast<ExceptionDialog*>(lParam));
    case WM_SIZE:
    case WM_GETMINMAXINFO:
        return state != nullptr && state->layout.handleMessage(message, wParam, lParam);
    case WM_COMMAND:
        // Enter gives the default button's id (Ignore); Escape and the close box give IDCANCEL.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

ExceptionChoice runExceptionDialog(const std::string& reportText) {
    ExceptionDialog state{editControlText(toWide(traceBoxText(reportText, maxEditLineLength).text)),
                          {}};
    // A dialog that cannot be created (-1, or 0 for a bad owner) counts as Stop.
    INT_PTR result = localizedDialogBox(dialogId, GetActiveWindow(), exceptionDialogProc,
                                        reinterpret_cast<LPARAM>(&state));
    return result == IDOK ? ExceptionChoice::ignore : ExceptionChoice::stop;
}
