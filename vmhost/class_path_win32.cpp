#include "vmhost/class_path.h"

#include "support/unique_resource.h"
#include "support/wide_text.h"

#include <windows.h>

namespace {

struct FindTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void release(HANDLE search) { FindClose(search); }
};

} // namespace

char classPathSeparator() {
    return ';';
}

std::vector<std::string> listMatchingFiles(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    UniqueResource<FindTraits> search(FindFirstFileW(toWide(pattern).c_str(), &found));
    if (!search)
        return names;
    do {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(toUtf8(name));
    } while (FindNextFileW(search.get(), &found));
    return names;
}
