#include "discovery/runtime_search.h"

#include "discovery/missing_runtime.h"
#include "discovery/vm_library_check.h"
#include "support/paths.h"
#include "support/process_environment.h"
#include "support/unique_resource.h"
#include "support/wide_text.h"

#include <windows.h>

namespace {

struct RegistryKeyTraits {
    static HKEY invalid() { return nullptr; }
    static void release(HKEY key) { RegCloseKey(key); }
};
using RegistryKey = UniqueResource<RegistryKeyTraits>;

// The 32-bit view is asked for explicitly; the native view is what this 64-bit process sees.
REGSAM readAccess(RegistryView view) {
    return KEY_READ | (view == RegistryView::x86 ? KEY_WOW64_32KEY : 0);
}

RegistryKey openMachineKey(const std::string& path, RegistryView view) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, toWide(path).c_str(), 0, readAccess(view), &key) !=
        ERROR_SUCCESS)
        return RegistryKey();
    return RegistryKey(key);
}

// The root's text without its closing backslash, which names no key of its own.
std::string rootKeyPath(const RegistryRoot& root) {
    std::string path = root.key;
    if (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

// The value's stored characters up to the first NUL, whatever its registry type.
std::string readText(HKEY key, const wchar_t* name) {
    DWORD bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
        return {};
    for (;;) {
        std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD size = bytes;
        LONG status = RegQueryValueExW(key, name, nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(text.data()), &size);
        if (status == ERROR_MORE_DATA) {
            bytes = size;
            continue;
        }
        if (status != ERROR_SUCCESS)
            return {};
        text.resize(size / sizeof(wchar_t));
        return toUtf8(text.substr(0, text.find(L'\0')));
    }
}

struct FileTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void release(HANDLE file) { CloseHandle(file); }
};

// A release file is a few hundred bytes; anything beyond 64 KiB is not one.
bool readSmallFile(const std::string& path, std::string& text) {
    UniqueResource<FileTraits> file(CreateFileW(toWide(path).c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    char buffer[65536];
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr))
        return false;
    text.assign(buffer, read);
    return true;
}

class RegistryRuntimeHost : public RuntimeHost {
  public:
    const RuntimeLayout& layout() const override { return windowsRuntimeLayout(); }

    bool fileExists(const std::string& path) override { return ::fileExists(path); }

    bool modulePath(std::string& path) override { return ::modulePath(path); }

    std::vector<std::string> subkeyNames(const RegistryRoot& root, RegistryView view) override {
        std::vector<std::string> names;
        RegistryKey key = openMachineKey(rootKeyPath(root), view);
        if (!key)
            return names;
        // Enumeration ends at the first index that does not succeed, whatever the reason.
        for (DWORD index = 0;; ++index) {
            wchar_t name[520];
            DWORD length = 520;
            if (RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr,
                              nullptr) != ERROR_SUCCESS)
                break;
            names.push_back(toUtf8(name, length));
        }
        return names;
    }

    std::string javaHome(const RegistryRoot& root, const std::string& subkey,
                         RegistryView view) override {
        std::string record = root.key + subkey;
        if (*root.record)
            record += std::string("\\") + root.record;
        RegistryKey key = openMachineKey(record, view);
        return key ? readText(key.get(), toWide(root.homeValue).c_str()) : std::string();
    }

    bool isX86VmLibrary(const std::string& path) override { return ::isX86VmLibrary(path); }

    bool readTextFile(const std::string& path, std::string& text) override {
        return readSmallFile(path, text);
    }

    bool environmentVariable(const std::string& name, std::string& value) override {
        return readEnvironmentVariable(name, value);
    }
};

} // namespace

std::optional<RuntimeChoice> locateRuntime(const RuntimeRequirements& requirements) {
    RegistryRuntimeHost host;
    if (std::optional<RuntimeChoice> choice = locateRuntime(requirements, host))
        return choice;
    return askForRuntime(requirements, host);
}
