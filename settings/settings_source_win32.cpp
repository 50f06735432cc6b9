#include "settings/settings_source.h"

#include "support/unique_resource.h"
#include "support/wide_text.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

namespace {

struct FileHandleTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void release(HANDLE handle) { CloseHandle(handle); }
};
using FileHandle = UniqueResource<FileHandleTraits>;

constexpr DWORD firstBufferSize = 256;

} // namespace

uint32_t SettingsFile::readHeader(uint32_t& value) {
    FileHandle file(CreateFileW(toWide(path_).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return GetLastError();
    char header[sizeof value];
    DWORD read = 0;
    if (!ReadFile(file.get(), header, sizeof header, &read, nullptr))
        return GetLastError();
    std::memcpy(&value, header, read);
    return 0;
}

void SettingsFile::getValue(const std::string& section, const std::string& key,
                            std::string& value) {
    std::wstring wideSection = toWide(section);
    std::wstring wideKey = toWide(key);
    std::wstring widePath = toWide(path_);
    std::wstring buffer;
    DWORD size = firstBufferSize;
    DWORD length = 0;
    for (;;) {
        buffer.assign(size, L'\0');
        length = GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), L"", buffer.data(),
                                          size, widePath.c_str());
        // A cut value comes back with size - 1 characters, or size - 2 when the profile
        // reader also dropped the last kept character as a closing quote.
        if (length + 2 < size)
            break;
        size *= 2;
    }
    value = toUtf8(buffer.data(), length);
}

void SettingsFile::getSectionNames(std::vector<std::string>& names) {
    std::wstring widePath = toWide(path_);
    std::wstring buffer;
    DWORD size = firstBufferSize;
    DWORD length = 0;
    for (;;) {
        buffer.assign(size, L'\0');
        length = GetPrivateProfileSectionNamesW(buffer.data(), size, widePath.c_str());
        if (length != size - 2)
            break;
        size *= 2;
    }
    names.clear();
    for (const wchar_t* name = buffer.data(); name < buffer.data() + length;) {
        size_t nameLength = wcslen(name);
        if (nameLength > 0)
            names.push_back(toUtf8(name, nameLength));
        name += nameLength + 1;
    }
}

bool SettingsFile::setValue(const std::string& section, const std::string& key,
                            const std::string& value) {
    return WritePrivateProfileStringW(toWide(section).c_str(), toWide(key).c_str(),
                                      toWide(value).c_str(), toWide(path_).c_str()) != FALSE;
}

bool SettingsFile::deleteFile() {
    return DeleteFileW(toWide(path_).c_str()) != FALSE;
}
