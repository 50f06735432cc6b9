#include "ui/messages.h"

#include <cstdio>
#include <map>

namespace {
const std::map<int, const char*>& englishTexts() {
    static const std::map<int, const char*> texts = {
        {202, "Windows exception: %s (errno = %d).\n"},
        {208, "failed to get the module path"},
        {210, "Main class was not specified in INI file."},
    };
    return texts;
}
} // namespace

std::string loadResourceString(int id) {
    auto found = englishTexts().find(id);
    return found == englishTexts().end() ? std::string() : std::string(found->second);
}

void reportError(OsHandle, const std::string& text) {
    std::fputs(text.c_str(), stderr);
    if (text.empty() || text.back() != '\n')
        std::fputc('\n', stderr);
    std::fflush(stderr);
}
