// IniProfile (the POSIX settings file reader and writer) on any file content. The input is the
// file; when it holds a NUL byte, the text after the last one is instead a value to write.
// Checked: names and values never span a line or hold a NUL; an unchanged profile writes back
// the file byte for byte (UTF-16 files: stable after one rewrite); a value written is read back
// from the new content as the reader's rules give it, and the section list stays the same.

#include "fuzz_check.h"
#include "settings/ini_profile.h"

#include <algorithm>

namespace {

const std::string section = "Java Runtime Environment";
const std::string key = "JRE Path";

bool isProfileSpace(char c) {
    return (c >= '\t' && c <= '\r') || c == ' ' || c == 0x1A;
}

std::string trim(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isProfileSpace(text[begin]))
        ++begin;
    while (end > begin && isProfileSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::string unquote(const std::string& text) {
    if (text.size() >= 2 && (text[0] == '"' || text[0] == '\'') && text.back() == text[0])
        return text.substr(1, text.size() - 2);
    return text;
}

bool spansLines(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

// Text that survives a trip through UTF-16: well-formed UTF-8 without surrogates.
bool isStrictUtf8(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80   ? 1
                              : lead < 0xC2 ? 0
                              : lead < 0xE0 ? 2
                              : lead < 0xF0 ? 3
                              : lead < 0xF5 ? 4
                                            : 0;
        if (length == 0 || i + length > text.size())
            return false;
        uint32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (next & 0x3F);
        }
        const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < least[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool containsName(const std::vector<std::string>& names, const std::string& wanted) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return name.size() == wanted.size() &&
               std::equal(name.begin(), name.end(), wanted.begin(),
                          [](char a, char b) { return asciiLower(a) == asciiLower(b); });
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string content = fuzzText(data, size);
    std::string newValue = "C:\\Java\\jre";
    const size_t nul = content.rfind('\0');
    if (nul != std::string::npos) {
        newValue = content.substr(nul + 1);
        content.erase(nul);
    }
    const bool utf16 =
        content.compare(0, 2, "\xFF\xFE") == 0 || content.compare(0, 2, "\xFE\xFF") == 0;

    IniProfile profile(content);
    const std::vector<std::string> names = profile.sectionNames();
    for (const std::string& name : names) {
        FUZZ_CHECK(!name.empty() && !spansLines(name) && trim(name) == name);
        FUZZ_CHECK(!spansLines(profile.value(name, key)));
    }
    if (utf16)
        FUZZ_CHECK(IniProfile(profile.content()).content() == profile.content());
    else
        FUZZ_CHECK(profile.content() == content);

    const std::string stored = trim(newValue);
    const bool written = profile.setValue(section, key, newValue);
    FUZZ_CHECK(written == !spansLines(stored));
    if (!written)
        return 0;
    FUZZ_CHECK(profile.value(section, key) == unquote(stored));
    const IniProfile reread(profile.content());
    if (!utf16 || isStrictUtf8(stored))
        FUZZ_CHECK(reread.value(section, key) == unquote(stored));
    std::vector<std::string> expectedNames = names;
    if (!containsName(names, section))
        expectedNames.push_back(section);
    FUZZ_CHECK(reread.sectionNames() == expectedNames);
    return 0;
}
