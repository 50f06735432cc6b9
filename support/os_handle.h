#pragma once

// Opaque OS handles (HANDLE, HWND, pthread ids, ...). The subsystem that creates one owns it
// and releases it; the launcher only carries it between steps.
using OsHandle = void*;
