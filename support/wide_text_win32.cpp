#include "support/wide_text.h"

#include <windows.h>

namespace {

std::wstring decode(UINT codePage, const std::string& text) {
    if (text.empty())
        return {};
    int length =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(),
                        length);
    return result;
}

std::string encode(UINT codePage, const wchar_t* text, size_t size) {
    if (size == 0)
        return {};
    int length = WideCharToMultiByte(codePage, 0, text, static_cast<int>(size), nullptr, 0, nullptr,
                                     nullptr);
    std::string result(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text, static_cast<int>(size), result.data(), length, nullptr,
                        nullptr);
    return result;
}

} // namespace

std::wstring toWide(const std::string& utf8) {
    return decode(CP_UTF8, utf8);
}

std::string toUtf8(const std::wstring& wide) {
    return encode(CP_UTF8, wide.data(), wide.size());
}

std::string toUtf8(const wchar_t* wide, size_t length) {
    return encode(CP_UTF8, wide, length);
}

std::string toAnsi(const std::wstring& wide) {
    return encode(CP_THREAD_ACP, wide.data(), wide.size());
}

std::wstring fromAnsi(const std::string& ansi) {
    return decode(CP_THREAD_ACP, ansi);
}
