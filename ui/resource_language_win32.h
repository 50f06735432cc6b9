#pragma once

// Resources of the executable in the language that serves the calling thread's locale (the
// first thread's is the system default; later threads keep a new thread's default).

#include <windows.h>

// The resource, or null. Falls back to the resource loader's own choice (the neutral
// language) when no resource language serves the locale or the chosen one lacks it.
HRSRC findLocalizedResource(LPCWSTR type, LPCWSTR name);

// DialogBoxParamW with that template: the dialog's result, -1 when it could not be shown.
INT_PTR localizedDialogBox(int dialogId, HWND owner, DLGPROC proc, LPARAM param);
