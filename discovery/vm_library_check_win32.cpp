#include "discovery/vm_library_check.h"

#include "support/unique_resource.h"
#include "support/wide_text.h"

#include <windows.h>

namespace {

struct FindTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void release(HANDLE search) { FindClose(search); }
};

struct FileTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void release(HANDLE file) { CloseHandle(file); }
};

struct MappingTraits {
    static HANDLE invalid() { return nullptr; }
    static void release(HANDLE mapping) { CloseHandle(mapping); }
};

struct ViewTraits {
    static const void* invalid() { return nullptr; }
    static void release(const void* view) { UnmapViewOfFile(view); }
};

} // namespace

bool fileExists(const std::string& path) {
    WIN32_FIND_DATAW found;
    UniqueResource<FindTraits> search(FindFirstFileW(toWide(path).c_str(), &found));
    return search.valid();
}

bool isX86VmLibrary(const std::string& path) {
    UniqueResource<FileTraits> file(CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                                nullptr));
    if (!file)
        return false;
    LARGE_INTEGER size;
    // A file larger than the address space (of a 32-bit process) is never mapped whole, and
    // its size would not fit the length handed on.
    if (!GetFileSizeEx(file.get(), &size) ||
        static_cast<unsigned long long>(size.QuadPart) > static_cast<SIZE_T>(-1))
        return false;
    // An empty file cannot be mapped; it is no image either.
    UniqueResource<MappingTraits> mapping(
        CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping)
        return false;
    UniqueResource<ViewTraits> view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view)
        return false;
    return isX86PeImage(static_cast<const unsigned char*>(view.get()),
                        static_cast<size_t>(size.QuadPart));
}
