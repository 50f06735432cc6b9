#include "vmhost/stream_redirection.h"

#include "support/wide_text.h"

#include <windows.h>

std::string absoluteFilePath(const std::string& name) {
    std::wstring wide = toWide(name);
    DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return name;
    std::wstring full(size, L'\0');
    DWORD written = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (written == 0 || written >= size)
        return name;
    full.resize(written);
    return toUtf8(full);
}
