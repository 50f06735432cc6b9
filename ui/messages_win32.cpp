#include "ui/messages.h"

#include "support/wide_text.h"
#include "ui/resource_language_win32.h"
#include "ui/string_bundle.h"

#include <windows.h>

std::string loadResourceString(int id) {
    if (id < 0 || id > 0xFFFF)
        return {};
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = findLocalizedResource(RT_STRING, MAKEINTRESOURCEW(stringBundleId(id)));
    if (found == nullptr)
        return {};
    // Resource data stays mapped with the module; there is nothing to release.
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data == nullptr)
        return {};
    const auto* units = static_cast<const uint16_t*>(data);
    auto entry = findBundleEntry(units, SizeofResource(module, found) / sizeof(uint16_t), id);
    if (!entry || entry->length == 0)
        return {};
    return toUtf8(reinterpret_cast<const wchar_t*>(units + entry->offset), entry->length);
}

void reportError(OsHandle owner, const std::string& text) {
    // No caption of its own: the system shows its default title.
    MessageBoxW(static_cast<HWND>(owner), toWide(text).c_str(), nullptr, MB_OK | MB_ICONERROR);
}
